#pragma once

#include "core/files/CameraClocks.h"

#include <QDialog>

#include <vector>

class QLineEdit;
class QPushButton;
class QRadioButton;

// カメラの時計を補正: one row per clock among the listed files (each camera,
// then the files without one), with the number of its files, its first and
// last shooting time as its clock wrote them, and the offset to add: a sign,
// days, hours, minutes and seconds. OK takes the offsets only when every box
// holds a number in its range, and otherwise says so and leaves the dialog
// open; キャンセル, Escape and the title bar's close button take nothing.
class CameraClockDialog : public QDialog {
    Q_OBJECT
public:
    explicit CameraClockDialog(const std::vector<ClockGroup>& groups, QWidget* parent = nullptr);
    ~CameraClockDialog() override;

    // Modal until closed. True when the user pressed OK: each group then has
    // its new offset.
    static bool ask(QWidget* parent, std::vector<ClockGroup>& groups);

    // The offsets OK took, in the groups' order; empty before.
    const std::vector<qint64>& offsets() const { return offsets_; }

private:
    struct OffsetBoxes {
        QRadioButton* add = nullptr;
        QRadioButton* subtract = nullptr;
        QLineEdit* days = nullptr;
        QLineEdit* hours = nullptr;
        QLineEdit* minutes = nullptr;
        QLineEdit* seconds = nullptr;
    };

    void addRow(QWidget* rows, int index, const ClockGroup& group);
    void acceptNumbers();

    std::vector<OffsetBoxes> boxes_;
    std::vector<qint64> offsets_;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};
