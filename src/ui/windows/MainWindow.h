#pragma once

#include "ui/startup/Startup.h"

#include <QMainWindow>

#include <memory>
#include <optional>
#include <vector>

class ConversionList;
class DriveList;
class FileList;
class FileSystem;
class FolderList;
class LongCommand;
class LongCommands;
class PathStrip;
class QAction;
class RefusalWarning;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
struct Shot;
struct RenameRequest;

// The main window: the drive and folder lists on the left with the
// conversion list below them, the name boxes and options on the right, the
// 変換 button, and a destination row below that shows while the files are to
// move. Its controls stand where MainWindowLayout.h puts them.
class MainWindow : public QMainWindow, public StartupWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // What start-up and shutdown use.
    QString openFolderPath() const override;
    FolderAccess openFolder(const QString& folder) override;
    FolderAccess selectDriveOf(const QString& folder) override;
    void setDestination(const QString& folder) override;
    void setExtensionPatterns(const QString& patterns) override;
    bool askForExtensions() override;

    // The destination folder the renamed files move to while
    // 保存先を変更する is ticked.
    QString destination() const;

    // The window's outer height in twips: 4400 with the destination row out
    // of sight, 4800 with it in view.
    int outerHeight() const { return outerHeight_; }

    // The file system the rename command works on; tests put a faulty one in.
    void setFileSystem(FileSystem* fileSystem);

    // Enables 変換を元に戻す exactly when a batch's journal is there to undo.
    void updateUndoAction();

    // A folder that a later start of the program hands over (a file's path:
    // the folder that holds it): the window comes to the front and opens it
    // as if chosen in its drive and folder lists, and is read again even
    // when it is the one open. While a dialog, a message box, a rename, an
    // undo or a sort is under way it waits, and opens once that is over.
    void openFromOutside(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // A folder or a file dragged from a file manager opens like a folder
    // handed over by a later start, without the window asking for the focus.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void connectHandlers();
    void applyOuterHeight(int twips);

    void onDriveChanged();
    void onFolderChanged();
    // Fills the conversion list from the file list, read afresh.
    void reloadConversionList();
    // The file list's files as the conversion list's rows: one shot a file,
    // or, with 同じ名前のファイルに同じ番号を付ける on, the files of one name
    // in one shot with their sidecars.
    std::vector<Shot> listedShots() const;
    void onShotsTogetherToggled(bool on);
    void clearAll();
    // Orders the conversion list by the time each file was taken, reading
    // the times off the window's thread; 中止 leaves the list as it was.
    void sortByShootingTime();
    // カメラの時計を補正...: reads the times the list lacks as the sort does,
    // then asks for each camera's offset; OK keeps each camera's offset in
    // the settings file and corrects the listed times by them.
    void correctCameraClocks();
    // Reads the times that the files of shots (rows of the open folder)
    // lack off the window's thread (with the progress window and its 中止)
    // and corrects them by their cameras' kept offsets; false after 中止, or
    // after a drive error, which it reports.
    bool readMissingTimes(LongCommand& command, std::vector<Shot>& shots);
    // The conversion list's rows with every time read so; nothing after 中止.
    std::optional<std::vector<Shot>> readListedTimes(LongCommand& command);
    void sortByName();
    void onMoveToFolderToggled(bool checked);
    void onOwnNameToggled(bool checked);
    void convert();
    RenameRequest currentRequest() const;
    void undoLastBatch();
    void editExtensions();
    void chooseDestination();
    // A folder from outside, once the window is free (see LongCommands).
    void openHandedOverFolder(const QString& path);

    DriveList* driveList_ = nullptr;
    FolderList* folderList_ = nullptr;
    ConversionList* conversionList_ = nullptr;
    FileList* fileList_ = nullptr;  // never shown: what the conversion list is filled from
    QLineEdit* prefixEdit_ = nullptr;
    QLineEdit* startNumberEdit_ = nullptr;
    QLineEdit* suffixEdit_ = nullptr;
    QCheckBox* moveToFolderBox_ = nullptr;
    QCheckBox* ownNameBox_ = nullptr;
    QPushButton* convertButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPushButton* destinationButton_ = nullptr;
    PathStrip* destinationStrip_ = nullptr;
    QMenu* listMenu_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* nameOverlapsAction_ = nullptr;
    QAction* shotsTogetherAction_ = nullptr;
    QAction* restartEachDayAction_ = nullptr;
    RefusalWarning* nameRefusal_ = nullptr;

    std::unique_ptr<FileSystem> ownFileSystem_;
    FileSystem* fileSystem_ = nullptr;
    int outerHeight_ = 0;
    LongCommands* commands_ = nullptr;
};
