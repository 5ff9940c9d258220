#include "ui/controls/ConversionList.h"

#include "core/files/ListOrder.h"
#include "core/photo/ShootingTime.h"
#include "core/text/NativeName.h"
#include "ui/services/Accessibility.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

#include <algorithm>
#include <optional>

namespace {

// Marks a drag as one of this list's own rows: the process and the list it
// started from. A drag from anywhere else (files from a file manager, another
// copy of the program) lacks it and passes to the window.
constexpr char kRowsMimeType[] = "application/x-tolvane-list-rows";

QString timeLine(const ShootingTime& time) {
    return (time.source == TimeSource::Exif ? QStringLiteral("撮影日時 ")
                                            : QStringLiteral("更新日時 ")) +
           formatShootingTime(time.correctedMsecs()) +
           (time.isCorrected() ? QStringLiteral("（補正済み）") : QString());
}

}  // namespace

class ConversionListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(shots.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= int(shots.size()))
            return {};
        const auto row = size_t(index.row());
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return shotText(shots[row]);
        if (role == Qt::ToolTipRole)
            return toolTip(row);
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        Qt::ItemFlags flags = QAbstractListModel::flags(index);
        // Drops go between entries, never onto one.
        if (reorderable)
            flags |= index.isValid() ? Qt::ItemIsDragEnabled : Qt::ItemIsDropEnabled;
        return flags;
    }
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override { return {QLatin1String(kRowsMimeType)}; }
    QMimeData* mimeData(const QModelIndexList&) const override {
        // The rows are the list's selection; the drop takes them from there.
        auto* data = new QMimeData;
        data->setData(QLatin1String(kRowsMimeType), dragIdentity());
        return data;
    }
    QByteArray dragIdentity() const {
        return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
               QByteArray::number(quintptr(this));
    }

    void remove(int row) {
        beginRemoveRows(QModelIndex(), row, row);
        shots.erase(shots.begin() + row);
        ++generation;
        endRemoveRows();
    }
    void reset(std::vector<Shot> listed) {
        beginResetModel();
        shots = std::move(listed);
        ++generation;
        inShootingOrder = false;
        endResetModel();
    }
    void reorder(const std::vector<int>& order) {
        if (order.size() != shots.size())
            return;
        emit layoutAboutToBeChanged();
        std::vector<Shot> moved;
        moved.reserve(shots.size());
        for (const int row : order)
            moved.push_back(std::move(shots[size_t(row)]));
        shots = std::move(moved);
        ++generation;
        std::vector<int> newRow(order.size());
        for (size_t k = 0; k < order.size(); ++k)
            newRow[size_t(order[k])] = int(k);
        const QModelIndexList from = persistentIndexList();
        QModelIndexList to;
        to.reserve(from.size());
        for (const QModelIndex& index : from)
            to.append(this->index(newRow[size_t(index.row())]));
        changePersistentIndexList(from, to);
        emit layoutChanged();
    }

    // Every file of the entry, one a line, and the time the list orders it by.
    QString toolTip(size_t row) const {
        Shot& shot = shots[row];
        QStringList lines;
        for (ListedFile& member : shot.members) {
            if (!member.time.isKnown() && timeReader)
                member.time = timeReader(member.name);
            lines << displayName(member.name);
        }
        for (const ListedFile& sidecar : shot.sidecars)
            lines << displayName(sidecar.name);
        const ShootingTime& time = shotTime(shot);
        if (time.isKnown())
            lines << timeLine(time);
        return lines.join(u'\n');
    }

    // Times are filled in as tooltips ask, hence mutable.
    mutable std::vector<Shot> shots;
    quint64 generation = 0;
    bool inShootingOrder = false;
    std::function<ShootingTime(const QByteArray&)> timeReader;
    bool reorderable = false;
};

ConversionList::ConversionList(QWidget* parent)
    : NameList(parent), model_(new ConversionListModel(this)) {
    setModel(model_);
}

void ConversionList::setShots(std::vector<Shot> shots) {
    model_->reset(std::move(shots));
}

void ConversionList::clearFiles() {
    model_->reset({});
}

const std::vector<Shot>& ConversionList::shots() const {
    return model_->shots;
}

quint64 ConversionList::generation() const {
    return model_->generation;
}

bool ConversionList::setTimes(quint64 generation, std::vector<Shot> timed) {
    if (generation != model_->generation || timed.size() != model_->shots.size())
        return false;
    model_->shots = std::move(timed);
    if (model_->inShootingOrder) {
        reorder(timeOrder(model_->shots));
        model_->inShootingOrder = true;
    }
    return true;
}

bool ConversionList::orderByTime(quint64 generation, std::vector<Shot> timed) {
    if (!setTimes(generation, std::move(timed)))
        return false;
    reorder(timeOrder(model_->shots));
    model_->inShootingOrder = true;
    return true;
}

bool ConversionList::isInShootingOrder() const {
    return model_->inShootingOrder;
}

void ConversionList::orderByName() {
    reorder(naturalOrder(model_->shots));
    model_->inShootingOrder = false;
}

void ConversionList::setTimeReader(std::function<ShootingTime(const QByteArray&)> reader) {
    model_->timeReader = std::move(reader);
}

void ConversionList::reorder(const std::vector<int>& order) {
    if (isIdentity(order))
        return;
    // Whoever puts the list in shooting order says so once it is done.
    model_->inShootingOrder = false;
    model_->reorder(order);
    scrollTo(currentIndex());
    // Qt drops the screen reader's objects of every entry when they move, the
    // one it was on included: it is told again where the focus is.
    reportCurrentEntry();
}

void ConversionList::setReorderable(bool reorderable) {
    model_->reorderable = reorderable;
    setDragEnabled(reorderable);
    setAcceptDrops(reorderable);
    setDropIndicatorShown(reorderable);
    setDragDropMode(reorderable ? QAbstractItemView::DragDrop : QAbstractItemView::NoDragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

void ConversionList::moveSelectedRowsTo(int destination) {
    reorder(orderMovingTo(selectedRows(), destination));
}

void ConversionList::moveSelectedRowsBy(int step) {
    reorder(orderMovingByOne(selectedRows(), step));
}

void ConversionList::setHiddenKeepingFocus(bool hidden) {
    if (hidden) {
        hadFocus_ = hasFocus();
        hide();
    } else {
        show();
        if (hadFocus_)
            setFocus();
        hadFocus_ = false;
    }
}

void ConversionList::removeEntry(int row) {
    model_->remove(row);
}

void ConversionList::keyPressEvent(QKeyEvent* event) {
    // What a drag does, for the keyboard and screen readers.
    const Qt::KeyboardModifiers held =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool alt = held == Qt::AltModifier;
    if (model_->reorderable && alt &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        moveSelectedRowsBy(event->key() == Qt::Key_Up ? -1 : 1);
        // Also at the top or the bottom, where the entry stays: the position
        // says why.
        announceMoved();
        event->accept();
        return;
    }
    NameList::keyPressEvent(event);
}

void ConversionList::announceMoved() {
    const std::vector<bool> selected = selectedRows();
    const auto first = std::find(selected.begin(), selected.end(), true);
    if (first == selected.end())
        return;
    const int row = int(first - selected.begin());
    announce(this, text(row) + QStringLiteral(" %1 / %2").arg(row + 1).arg(count()));
}

bool ConversionList::isOwnDrag(const QDropEvent& event) const {
    return model_->reorderable && event.mimeData() &&
           event.mimeData()->data(QLatin1String(kRowsMimeType)) == model_->dragIdentity();
}

// Another's drag is ignored, so that it goes on to the window.
void ConversionList::dragEnterEvent(QDragEnterEvent* event) {
    if (!isOwnDrag(*event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    NameList::dragEnterEvent(event);
}

void ConversionList::dragMoveEvent(QDragMoveEvent* event) {
    if (!isOwnDrag(*event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    NameList::dragMoveEvent(event);
}

// The move happens here, in one step. The view's own drop would move row by
// row, and after the drag its start would remove the dragged rows, but this
// model removes no rows on request (removeRows stays the base's, which
// refuses), so the entries are never lost.
void ConversionList::dropEvent(QDropEvent* event) {
    if (!isOwnDrag(*event)) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    int destination = count();
    if (index.isValid()) {
        const QRect rect = visualRect(index);
        destination = at.y() < rect.center().y() ? index.row() : index.row() + 1;
    }
    moveSelectedRowsTo(destination);
    announceMoved();
    event->setDropAction(Qt::MoveAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
}
