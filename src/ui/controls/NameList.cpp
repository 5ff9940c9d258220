#include "ui/controls/NameList.h"

#include "core/text/NativeName.h"
#include "core/text/NaturalOrder.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>

#include <algorithm>

class NameListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(items.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= int(items.size()))
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole || role == Qt::ToolTipRole)
            return displayName(items[size_t(index.row())]);
        return {};
    }

    void insert(int row, QByteArray native) {
        beginInsertRows(QModelIndex(), row, row);
        items.insert(items.begin() + row, std::move(native));
        endInsertRows();
    }
    void remove(int row) {
        beginRemoveRows(QModelIndex(), row, row);
        items.erase(items.begin() + row);
        endRemoveRows();
    }
    void reset(std::vector<QByteArray> natives) {
        beginResetModel();
        items = std::move(natives);
        endResetModel();
    }

    std::vector<QByteArray> items;
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

void NameList::setNames(std::vector<QByteArray> natives) {
    model_->reset(std::move(natives));
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
    model_->reset({});
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
