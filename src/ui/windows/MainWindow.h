#pragma once

#include "ui/startup/Startup.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class DriveList;
class FileList;
class FileSystem;
class FolderList;
class NameList;
class PathStrip;
class QAction;
class RefusalWarning;
struct TaskProgress;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
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
    // as if chosen in its drive and folder lists. While a dialog, a message
    // box or a rename is under way it waits, and opens once that is over.
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
    void clearAll();
    // Orders the conversion list by the time each file was taken, reading
    // the times off the window's thread; 中止 leaves the list as it was.
    void sortByShootingTime();
    void sortByName();
    void onMoveToFolderToggled(bool checked);
    void onOwnNameToggled(bool checked);
    void convert();
    RenameRequest currentRequest() const;
    void undoLastBatch();
    // Runs work off the window's thread (see BackgroundWork.h). A close of
    // the window meanwhile stops the work and closes the window after it.
    void runLongWork(const QString& title, int total, std::function<QString(int)> itemInHand,
                     std::function<void(TaskProgress&)> work);
    void editExtensions();
    void chooseDestination();
    void requestFolder(const QString& path);
    void openRequestedFolderWhenFree();
    bool isBusy() const;

    DriveList* driveList_ = nullptr;
    FolderList* folderList_ = nullptr;
    NameList* conversionList_ = nullptr;
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
    RefusalWarning* nameRefusal_ = nullptr;

    std::unique_ptr<FileSystem> ownFileSystem_;
    FileSystem* fileSystem_ = nullptr;
    int outerHeight_ = 0;
    TaskProgress* running_ = nullptr;  // the work under way, if any
    bool inCommand_ = false;           // a rename or an undo, from its question on
    bool closeAfterWork_ = false;
    QString requestedFolder_;  // handed over or dropped, not yet opened
    QTimer* requestRetry_ = nullptr;
};
