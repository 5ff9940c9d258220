#include "ui/platform/ListBox.h"

#include "app/NativeName.h"
#include "ui/platform/FileListing.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

class ListBoxModel : public QAbstractListModel {
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

ListBox::ListBox(QWidget* parent) : QListView(parent), model_(new ListBoxModel(this)) {
    setModel(model_);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionKind(Selection::Extended);
}

void ListBox::setSorted(bool sorted) {
    sorted_ = sorted;
}

void ListBox::setSelectionKind(Selection kind) {
    setSelectionMode(kind == Selection::Extended ? QAbstractItemView::ExtendedSelection
                                                 : QAbstractItemView::MultiSelection);
}

void ListBox::AddItem(const QString& text) {
    addNative(toNative(text));
}

void ListBox::addNative(const QByteArray& native) {
    int row = int(model_->items.size());
    if (sorted_) {
        const auto at = std::upper_bound(model_->items.begin(), model_->items.end(), native,
                                         [](const QByteArray& a, const QByteArray& b) {
                                             return naturalLess(
                                                 std::string_view(a.constData(), size_t(a.size())),
                                                 std::string_view(b.constData(), size_t(b.size())));
                                         });
        row = int(at - model_->items.begin());
    }
    model_->insert(row, native);
}

void ListBox::setItems(std::vector<QByteArray> natives) {
    model_->reset(std::move(natives));
}

void ListBox::RemoveItem(int index) {
    if (index >= 0 && index < ListCount())
        model_->remove(index);
}

void ListBox::Clear() {
    model_->reset({});
}

int ListBox::ListCount() const {
    return int(model_->items.size());
}

QString ListBox::List(int index) const {
    return displayName(model_->items[size_t(index)]);
}

const QByteArray& ListBox::nativeItem(int index) const {
    return model_->items[size_t(index)];
}

const std::vector<QByteArray>& ListBox::nativeItems() const {
    return model_->items;
}

bool ListBox::Selected(int index) const {
    return selectionModel()->isSelected(model_->index(index));
}

void ListBox::setSelected(int index, bool selected) {
    selectionModel()->select(model_->index(index), selected ? QItemSelectionModel::Select
                                                            : QItemSelectionModel::Deselect);
}

void ListBox::setVisibleKeepingFocus(bool visible) {
    if (!visible) {
        hadFocus_ = hasFocus();
        hide();
    } else {
        show();
        if (hadFocus_)
            setFocus();
        hadFocus_ = false;
    }
}

void ListBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        emit rightButtonPressed(event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

void ListBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Delete) || event->key() == Qt::Key_Delete) {
        emit deleteKeyPressed();
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}
