#pragma once

#include "ui/controls/NameList.h"

#include <QByteArray>

#include <vector>

class PatternListModel;

// The patterns of 拡張子設定 ("*." and an extension), each kept as the bytes
// it was added as and placed at its place in natural order.
class PatternList : public NameList {
    Q_OBJECT
public:
    explicit PatternList(QWidget* parent = nullptr);

    void addText(const QString& text);
    void addNative(const QByteArray& native);
    const std::vector<QByteArray>& natives() const;

protected:
    void removeEntry(int row) override;

private:
    PatternListModel* model_;
};
