#pragma once

#include <QString>

// What start-up and shutdown need of the main window, so that this sequence
// stays apart from the window code (and a test can drive it on its own).
class StartupWindow {
public:
    virtual ~StartupWindow() = default;

    // The folder list's Path.
    virtual QString folderPath() const = 0;
    // Writes the folder list's Path: 0, or the platform's error number
    // (76 for a folder that does not exist).
    virtual int setFolderPath(const QString& folder) = 0;
    // Writes the drive list's drive: the volume that holds folder. When that
    // differs from the drive shown, the drive change runs. 0 or an error number.
    virtual int setDriveOf(const QString& folder) = 0;
    virtual void setLabelCaption(const QString& folder) = 0;
    // Applies the pattern list to the file list, which reloads the conversion list.
    virtual void setFilePattern(const QString& patterns) = 0;
    // The extension list dialog with the single entry "*.jpg", modal. Returns
    // true when the user confirmed it (which stored and applied the list).
    virtual bool runFirstRunDialog() = 0;
};

// The placeholder pattern: it matches no file a camera makes, and is never stored.
inline constexpr char16_t kPlaceholderPattern[] = u"*.ああ";

// Start-up, after the single-copy check: restores the extension patterns and
// the last folder, or greets a first run with the extension list dialog.
void Form_Load(StartupWindow& window);

// Shutdown: stores the open folder, on every close.
void Form_Unload(const StartupWindow& window);
