#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class DriveList;
class FolderList;
class QKeyEvent;
class QPushButton;

// The destination folder dialog: a drive list and a folder list of its own,
// opened on the folder the destination label shows. "OK" chooses the folder
// the list has open (never one that is only highlighted); "キャンセル" and the
// title bar's close button choose nothing. A fresh dialog at every opening.
class frmSELECT : public QDialog {
    Q_OBJECT
public:
    explicit frmSELECT(QWidget* parent = nullptr);
    ~frmSELECT() override;

    // Opens a dialog on labelFolder, modal until closed. Returns the open
    // folder when the user pressed "OK", nothing otherwise.
    static std::optional<QString> choose(QWidget* parent, const QString& labelFolder);

    DriveList* Drive = nullptr;
    FolderList* FOLDER = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCANCEL = nullptr;

    // Opens folder in FOLDER, or, when it has gone meanwhile, the nearest of
    // its ancestors that is still there.
    void openOn(const QString& folder);

    // The folder "OK" took; empty until it was pressed.
    QString chosenFolder() const { return chosen_; }

    void Drive_Change();
    void cmdOK_Click();
    void cmdCANCEL_Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString chosen_;
};
