#pragma once

#include <QObject>

class QLineEdit;

// Gives a name box's context menu, after the box's own editing items, the
// submenu 撮影日時を挿入, whose items put a shooting-time field (see
// core/rename/DateFields.h) at the cursor in place of any selection, as one
// edit that the box's undo takes back. An item whose field would not fit in
// the box is disabled: the box would keep only part of it.
class DateFieldMenu : public QObject {
public:
    explicit DateFieldMenu(QLineEdit* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* box_;
};
