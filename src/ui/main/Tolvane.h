#pragma once

#include "app/Startup.h"

#include <QMainWindow>

#include <array>
#include <memory>

class DriveList;
class FileList;
class FolderList;
class ListBox;
class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class Timer;
class FileSystem;
struct Message;

#ifdef DELETE
#undef DELETE  // a Windows header macro; here it is the menu item's name
#endif

// The main window. Its controls carry the names every other part of the
// program uses, control arrays keep their indexes (Text[0] prefix, Text[1]
// suffix, Text[2] start number; CHECK[0] destination, CHECK[1] own name), and
// the event handlers are named after the control and the event.
class Tolvane : public QMainWindow, public StartupWindow {
    Q_OBJECT
public:
    explicit Tolvane(QWidget* parent = nullptr);
    ~Tolvane() override;

    // Controls of the left column.
    DriveList* Drive = nullptr;
    FolderList* Folder = nullptr;
    ListBox* List = nullptr;
    FileList* File = nullptr;  // never shown; lies under List

    // Controls of the right column.
    QGroupBox* Name_Frame = nullptr;
    std::array<QLabel*, 2> Label2{};
    std::array<QLineEdit*, 3> Text{};
    QLabel* Label1 = nullptr;
    QGroupBox* Option_Frame = nullptr;
    std::array<QCheckBox*, 2> CHECK{};
    QPushButton* HENKAN = nullptr;
    QPushButton* CLEAR = nullptr;

    // The destination row and the timer.
    QPushButton* HOZON = nullptr;
    QFrame* Picture = nullptr;
    QLabel* Label = nullptr;
    Timer* Timer1 = nullptr;

    // Menus.
    QMenu* SETEI = nullptr;
    QAction* KAKU = nullptr;
    QMenu* SETEI2 = nullptr;
    QAction* DELETE = nullptr;
    QMenu* HELP = nullptr;
    QAction* USE = nullptr;
    QAction* HP = nullptr;
    QAction* VER = nullptr;

    // The destination label: its caption, its left offset inside the strip
    // and its width, in twips.
    QString labelCaption() const;
    void setLabelCaption(const QString& folder) override;
    int labelLeft() const { return labelLeft_; }
    void setLabelLeft(int twips);
    int labelWidth() const;

    // The window's outer height in twips: 4400 with the destination row out of
    // sight, 4800 with it in view.
    int outerHeight() const { return outerHeight_; }
    void setOuterHeight(int twips);

    // Rebuilds the conversion list from the file list.
    void LIST_reload();
    // Starts the scrolling of the destination label when its path is wider
    // than the strip, else parks it.
    void scrollCheck();

    // Event handlers.
    void Drive_Change();
    void Folder_Change();
    void File_PathChange();
    void File_PatternChange();
    void Timer1_Timer();
    void List_RightButton(const QPoint& globalPos);
    void DELETE_Click();
    void CLEAR_Click();
    void CHECK_Click(int index);
    void HENKAN_Click();
    void KAKU_Click();
    void HOZON_Click();
    void USE_Click();
    void HP_Click();
    void VER_Click();

    // What start-up and shutdown use.
    QString folderPath() const override;
    int setFolderPath(const QString& folder) override;
    int setDriveOf(const QString& folder) override;
    void setFilePattern(const QString& patterns) override;
    bool runFirstRunDialog() override;

    // The file system the rename command works on; tests put a faulty one in.
    void setFileSystem(FileSystem* fileSystem);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void connectHandlers();
    void applyClientHeight();
    void placeLabel();
    // Empties the box and says why when its text holds a forbidden character.
    int NAME_check(QLineEdit* obj);
    int showMessage(const Message& message);

    std::unique_ptr<FileSystem> ownFileSystem_;
    FileSystem* fileSystem_ = nullptr;

    int labelLeft_ = 45;
    int outerHeight_ = 4400;
};
