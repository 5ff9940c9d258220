#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class DriveList;
class FolderList;
class QKeyEvent;
class QPushButton;

// The destination folder dialog, フォルダーの選択: a drive list and a folder
// list of its own, opened on the folder the main window shows as the
// destination. "OK" chooses the folder the list has open (never one that is
// only highlighted); "キャンセル" and the title bar's close button choose
// nothing. A fresh dialog at every opening.
class DestinationFolderDialog : public QDialog {
    Q_OBJECT
public:
    explicit DestinationFolderDialog(QWidget* parent = nullptr);
    ~DestinationFolderDialog() override;

    // Opens a dialog on folder, modal until closed. Returns the open folder
    // when the user pressed "OK", nothing otherwise.
    static std::optional<QString> choose(QWidget* parent, const QString& folder);

    // Opens folder in the folder list, or, when it has gone meanwhile, the
    // nearest of its ancestors that is still there.
    void openOn(const QString& folder);

    // The folder "OK" took; empty until it was pressed.
    QString chosenFolder() const { return chosen_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    DriveList* driveList_ = nullptr;
    FolderList* folderList_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QString chosen_;
};
