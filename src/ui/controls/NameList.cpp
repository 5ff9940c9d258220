#include "ui/controls/NameList.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>

NameList::NameList(QWidget* parent) : QListView(parent) {
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionKind(Selection::Extended);
}

void NameList::setSelectionKind(Selection selection) {
    setSelectionMode(selection == Selection::Extended ? QAbstractItemView::ExtendedSelection
                                                      : QAbstractItemView::MultiSelection);
}

int NameList::count() const {
    return model()->rowCount();
}

QString NameList::text(int row) const {
    return model()->index(row, 0).data().toString();
}

void NameList::removeRow(int row) {
    if (row < 0 || row >= count())
        return;
    {
        const QScopedValueRollback<bool> removing(removing_, true);
        removeEntry(row);
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

bool NameList::isRowSelected(int row) const {
    return selectionModel()->isSelected(model()->index(row, 0));
}

void NameList::setRowSelected(int row, bool selected) {
    selectionModel()->select(model()->index(row, 0), selected ? QItemSelectionModel::Select
                                                              : QItemSelectionModel::Deselect);
}

std::vector<bool> NameList::selectedRows() const {
    std::vector<bool> selected(size_t(count()), false);
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        selected[size_t(index.row())] = true;
    return selected;
}

void NameList::setContextMenu(QMenu* menu) {
    menu_ = menu;
}

void NameList::chooseEntriesForMenu(const QModelIndex& at) {
    if (!at.isValid())
        clearSelection();
    else if (selectionModel()->isSelected(at))
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
    else
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
}

void NameList::openMenuAtCurrentEntry() {
    QPoint at = viewport()->rect().topLeft();
    if (currentIndex().isValid()) {
        chooseEntriesForMenu(currentIndex());
        scrollTo(currentIndex());
        // Below the entry, which stays in sight.
        at = visualRect(currentIndex()).intersected(viewport()->rect()).bottomLeft();
    }
    menu_->popup(viewport()->mapToGlobal(at));
}

void NameList::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (menu_) {
            chooseEntriesForMenu(indexAt(event->position().toPoint()));
            menu_->popup(event->globalPosition().toPoint());
        }
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
    // The Menu key comes here only where the platform sent no menu request
    // for it (see contextMenuEvent); its press then goes to the menu.
    const bool menuKey = event->key() == Qt::Key_Menu && event->modifiers() == Qt::NoModifier;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (menu_ && (menuKey || shiftF10)) {
        openMenuAtCurrentEntry();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void NameList::contextMenuEvent(QContextMenuEvent* event) {
    // A request by mouse follows the right button's press, which has opened
    // the menu already.
    if (menu_ && event->reason() == QContextMenuEvent::Keyboard) {
        openMenuAtCurrentEntry();
        event->accept();
        return;
    }
    event->ignore();
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
