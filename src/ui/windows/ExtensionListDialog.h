#pragma once

#include <QDialog>

class FileList;
class PatternList;
class QKeyEvent;
class QLineEdit;
class QPushButton;

// The extension list dialog, 拡張子設定: edits the patterns ("*." and an
// extension) that decide which files of the browsed folder are offered for
// renaming. "メインへ" stores them and hands them to the main window's file
// list when they differ from the list's own; closing the dialog any other way
// forgets the edits. A fresh dialog
// at every opening.
class ExtensionListDialog : public QDialog {
    Q_OBJECT
public:
    // files: the main window's file list, whose pattern "メインへ" sets.
    explicit ExtensionListDialog(FileList& files, QWidget* parent = nullptr);
    ~ExtensionListDialog() override;

    // The menu's way in: the stored list, then modal until closed.
    // Both return true when the user confirmed with "メインへ", which stored
    // and applied the list; false when the dialog was closed otherwise.
    static bool openFromMenu(QWidget* parent, FileList& files);
    // A first run: the single entry "*.jpg", then modal until closed.
    static bool openForFirstRun(QWidget* parent, FileList& files);

    // Adds the entries of a stored list: the pieces between ";", an empty
    // piece as an empty entry, and nothing after a final ";".
    void addStoredEntries(const QString& stored);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void addTypedExtension();
    void removeSelected();
    void storeAndClose();

    FileList& files_;
    PatternList* extensionList_ = nullptr;
    QLineEdit* extensionEdit_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QPushButton* doneButton_ = nullptr;
};
