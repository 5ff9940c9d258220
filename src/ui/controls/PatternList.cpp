#include "ui/controls/PatternList.h"

#include "core/text/NativeName.h"
#include "core/text/NaturalOrder.h"

#include <QAbstractListModel>

#include <algorithm>

class PatternListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(patterns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= int(patterns.size()))
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return displayName(patterns[size_t(index.row())]);
        return {};
    }

    void insert(std::vector<QByteArray>::const_iterator at, const QByteArray& pattern) {
        const int row = int(at - patterns.cbegin());
        beginInsertRows(QModelIndex(), row, row);
        patterns.insert(at, pattern);
        endInsertRows();
    }
    void remove(int row) {
        beginRemoveRows(QModelIndex(), row, row);
        patterns.erase(patterns.begin() + row);
        endRemoveRows();
    }

    std::vector<QByteArray> patterns;
};

PatternList::PatternList(QWidget* parent) : NameList(parent), model_(new PatternListModel(this)) {
    setModel(model_);
}

void PatternList::addText(const QString& text) {
    addNative(toNative(text));
}

void PatternList::addNative(const QByteArray& native) {
    const std::vector<QByteArray>& patterns = model_->patterns;
    model_->insert(std::upper_bound(
                       patterns.begin(), patterns.end(), native,
                       [](const QByteArray& a, const QByteArray& b) { return naturalLess(a, b); }),
                   native);
}

const std::vector<QByteArray>& PatternList::natives() const {
    return model_->patterns;
}

void PatternList::removeEntry(int row) {
    model_->remove(row);
}
