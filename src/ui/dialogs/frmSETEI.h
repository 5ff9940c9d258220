#pragma once

#include <QDialog>

class FileList;
class ListBox;
class QGroupBox;
class QKeyEvent;
class QLineEdit;
class QPushButton;

#ifdef DELETE
#undef DELETE  // a Windows header macro; here it is the remove button's name
#endif

// The extension list dialog: edits the patterns ("*." and an extension) that
// decide which files of the browsed folder are offered for renaming. "メインへ"
// stores them and hands them to the main window's file list; closing the
// dialog any other way forgets the edits. A fresh dialog at every opening.
class frmSETEI : public QDialog {
    Q_OBJECT
public:
    // file: the main window's hidden file list, whose pattern "メインへ" sets.
    explicit frmSETEI(FileList& file, QWidget* parent = nullptr);
    ~frmSETEI() override;

    // The menu's way in: the stored list, then modal until closed.
    // Both return true when the user confirmed with "メインへ", which stored
    // and applied the list; false when the dialog was closed otherwise.
    static bool openFromMenu(QWidget* parent, FileList& file);
    // A first run: the single entry "*.jpg", then modal until closed.
    static bool openForFirstRun(QWidget* parent, FileList& file);

    QGroupBox* Frame = nullptr;
    ListBox* List = nullptr;
    QLineEdit* Text = nullptr;
    QPushButton* TUIKA = nullptr;
    QPushButton* DELETE = nullptr;
    QPushButton* MAIN = nullptr;

    // Adds the entries of a stored list: the pieces between ";", an empty
    // piece as an empty entry, and nothing after a final ";".
    void addStoredEntries(const QString& stored);

    void TUIKA_Click();
    void DELETE_Click();
    void MAIN_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString entry(int index) const;

    FileList& file_;
};
