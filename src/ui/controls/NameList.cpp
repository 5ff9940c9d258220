#include "ui/controls/NameList.h"

#include "core/text/NativeName.h"
#include "core/text/NaturalOrder.h"

#include "core/files/ListOrder.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include <algorithm>

namespace {

// Marks a drag as one of this list's own rows: the process and the list it
// started from. A drag from anywhere else (files from a file manager, another
// copy of the program) lacks it and passes to the window.
constexpr char kRowsMimeType[] = "application/x-tolvane-list-rows";

QString timeLine(const ShootingTime& time) {
    return (time.source == TimeSource::Exif ? QStringLiteral("撮影日時 ")
                                            : QStringLiteral("更新日時 ")) +
           formatShootingTime(time.localMsecs);
}

template <typename T>
void permute(std::vector<T>& items, const std::vector<int>& order) {
    std::vector<T> moved;
    moved.reserve(items.size());
    for (const int row : order)
        moved.push_back(std::move(items[size_t(row)]));
    items = std::move(moved);
}

}  // namespace

class NameListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(items.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= int(items.size()))
            return {};
        const auto row = size_t(index.row());
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return displayName(items[row]);
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

    void insert(int row, QByteArray native) {
        beginInsertRows(QModelIndex(), row, row);
        items.insert(items.begin() + row, std::move(native));
        inodes.insert(inodes.begin() + row, 0);
        times.insert(times.begin() + row, std::nullopt);
        endInsertRows();
    }
    void remove(int row) {
        beginRemoveRows(QModelIndex(), row, row);
        items.erase(items.begin() + row);
        inodes.erase(inodes.begin() + row);
        times.erase(times.begin() + row);
        endRemoveRows();
    }
    void reset(std::vector<QByteArray> natives, std::vector<quint64> inodeNumbers) {
        beginResetModel();
        items = std::move(natives);
        inodes = std::move(inodeNumbers);
        inodes.resize(items.size(), 0);
        times.assign(items.size(), std::nullopt);
        endResetModel();
    }
    void reorder(const std::vector<int>& order) {
        if (order.size() != items.size())
            return;
        emit layoutAboutToBeChanged();
        permute(items, order);
        permute(inodes, order);
        permute(times, order);
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

    QString toolTip(size_t row) const {
        if (!times[row] && timeReader)
            times[row] = timeReader(items[row]);
        const QString name = displayName(items[row]);
        if (!times[row] || !times[row]->isKnown())
            return name;
        return name + u'\n' + timeLine(*times[row]);
    }

    std::vector<QByteArray> items;
    std::vector<quint64> inodes;
    // Filled in as tooltips ask, hence mutable.
    mutable std::vector<std::optional<ShootingTime>> times;
    std::function<std::optional<ShootingTime>(const QByteArray&)> timeReader;
    bool reorderable = false;
};

NameList::NameList(QWidget* parent) : QListView(parent), model_(new NameListModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionKind(Selection::Extended);
}

void NameList::setSelectionKind(Selection selection) {
    setSelectionMode(selection == Selection::Extended ? QAbstractItemView::ExtendedSelection
                                                      : QAbstractItemView::MultiSelection);
}

void NameList::addText(const QString& text) {
    addNative(toNative(text));
}

void NameList::addNative(const QByteArray& native) {
    int row = int(model_->items.size());
    if (sorted_) {
        const auto at = std::upper_bound(
            model_->items.begin(), model_->items.end(), native,
            [](const QByteArray& a, const QByteArray& b) { return naturalLess(a, b); });
        row = int(at - model_->items.begin());
    }
    model_->insert(row, native);
}

void NameList::setNames(std::vector<QByteArray> natives, std::vector<quint64> inodes) {
    model_->reset(std::move(natives), std::move(inodes));
}

void NameList::removeRow(int row) {
    if (row < 0 || row >= count())
        return;
    {
        const QScopedValueRollback<bool> removing(removing_, true);
        model_->remove(row);
    }
    if (!removing_)
        reportCurrentEntry();
}

void NameList::removeSelectedRows() {
    {
        const QScopedValueRollback<bool> removing(removing_, true);
        // From the last row to the first, so that a removal never renumbers
        // a row still to be visited.
        for (int row = count() - 1; row >= 0; --row) {
            if (isRowSelected(row))
                removeRow(row);
        }
    }
    reportCurrentEntry();
}

void NameList::clearNames() {
    model_->reset({}, {});
}

int NameList::count() const {
    return int(model_->items.size());
}

QString NameList::text(int row) const {
    return displayName(model_->items[size_t(row)]);
}

const QByteArray& NameList::native(int row) const {
    return model_->items[size_t(row)];
}

const std::vector<QByteArray>& NameList::natives() const {
    return model_->items;
}

const std::vector<quint64>& NameList::inodes() const {
    return model_->inodes;
}

const std::vector<std::optional<ShootingTime>>& NameList::times() const {
    return model_->times;
}

void NameList::setTimes(std::vector<std::optional<ShootingTime>> times) {
    if (times.size() == model_->items.size())
        model_->times = std::move(times);
}

void NameList::setTimeReader(std::function<std::optional<ShootingTime>(const QByteArray&)> reader) {
    model_->timeReader = std::move(reader);
}

void NameList::reorder(const std::vector<int>& order) {
    if (isIdentity(order))
        return;
    model_->reorder(order);
    scrollTo(currentIndex());
}

void NameList::setReorderable(bool reorderable) {
    model_->reorderable = reorderable;
    setDragEnabled(reorderable);
    setAcceptDrops(reorderable);
    setDropIndicatorShown(reorderable);
    setDragDropMode(reorderable ? QAbstractItemView::DragDrop : QAbstractItemView::NoDragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

std::vector<bool> NameList::selectedRows() const {
    std::vector<bool> selected(size_t(count()), false);
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        selected[size_t(index.row())] = true;
    return selected;
}

void NameList::moveSelectedRowsTo(int destination) {
    reorder(orderMovingTo(selectedRows(), destination));
}

void NameList::moveSelectedRowsBy(int step) {
    reorder(orderMovingByOne(selectedRows(), step));
}

bool NameList::isRowSelected(int row) const {
    return selectionModel()->isSelected(model_->index(row));
}

void NameList::setRowSelected(int row, bool selected) {
    selectionModel()->select(
        model_->index(row), selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect);
}

void NameList::setHiddenKeepingFocus(bool hidden) {
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

void NameList::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit rightButtonPressed(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void NameList::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Delete) {
        emit deleteKeyPressed();
        event->accept();
        return;
    }
    // What a drag does, for the keyboard and screen readers.
    const Qt::KeyboardModifiers held =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const bool alt = held == Qt::AltModifier;
    if (model_->reorderable && alt &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down)) {
        moveSelectedRowsBy(event->key() == Qt::Key_Up ? -1 : 1);
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void NameList::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    // Qt reports the current entry (the first, when there was none) before
    // it reports the list itself as focused, so a screen reader heard the
    // list and its size only: report the entry again once the list's own
    // report is out. A list rebuilt or left for a context menu gets the
    // focus back, so this tells the current entry then too.
    QMetaObject::invokeMethod(this, &NameList::reportCurrentEntry, Qt::QueuedConnection);
}

void NameList::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // QListView tells screen readers that the new current entry has the
    // focus even while the list is hidden or another control has it (a
    // button that removed entries): only a list with the focus reports it.
    // In the middle of a removal it cannot find the entry yet and reports
    // the list itself: the entry is reported once the removal is done.
    if (hasFocus() && !removing_)
        QListView::currentChanged(current, previous);
    else
        // The view's own work, without its report.
        // NOLINTNEXTLINE(bugprone-parent-virtual-call)
        QAbstractItemView::currentChanged(current, previous);
}

void NameList::reportCurrentEntry() {
    if (hasFocus() && currentIndex().isValid())
        QListView::currentChanged(currentIndex(), currentIndex());
}

bool NameList::isOwnDrag(const QDropEvent& event) const {
    return model_->reorderable && event.mimeData() &&
           event.mimeData()->data(QLatin1String(kRowsMimeType)) == model_->dragIdentity();
}

// Another's drag is ignored, so that it goes on to the window.
void NameList::dragEnterEvent(QDragEnterEvent* event) {
    if (!isOwnDrag(*event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    QListView::dragEnterEvent(event);
}

void NameList::dragMoveEvent(QDragMoveEvent* event) {
    if (!isOwnDrag(*event)) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    QListView::dragMoveEvent(event);
}

// The move happens here, in one step. The view's own drop would move row by
// row, and after the drag its start would remove the dragged rows, but this
// model removes no rows on request (removeRows stays the base's, which
// refuses), so the entries are never lost.
void NameList::dropEvent(QDropEvent* event) {
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
    event->setDropAction(Qt::MoveAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
}
