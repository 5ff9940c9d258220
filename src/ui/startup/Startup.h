#pragma once

#include "ui/services/Volumes.h"

#include <QString>

// What start-up and shutdown need of the main window, so that this sequence
// stays apart from the window code (and a test can drive it on its own).
class StartupWindow {
public:
    virtual ~StartupWindow() = default;

    // The folder the folder list has open.
    virtual QString openFolderPath() const = 0;
    // Opens folder in the folder list; the empty text leaves it where it is.
    virtual FolderAccess openFolder(const QString& folder) = 0;
    // Selects the drive that holds folder. When that differs from the drive
    // shown, the drive change runs.
    virtual FolderAccess selectDriveOf(const QString& folder) = 0;
    virtual void setDestination(const QString& folder) = 0;
    // Applies the extension patterns to the file list, which reloads the
    // conversion list.
    virtual void setExtensionPatterns(const QString& patterns) = 0;
    // The extension list dialog with the single entry "*.jpg", modal. Returns
    // true when the user confirmed it (which stored and applied the list).
    virtual bool askForExtensions() = 0;
};

// Start-up, after the single-copy check: restores the extension patterns and
// the last folder, or greets a first run with the extension list dialog.
// requestedFolder (absolute; from the command line) opens instead of the last
// folder; when it cannot be opened, start-up goes on as without it.
void startUp(StartupWindow& window, const QString& requestedFolder = QString());

// Opens a folder asked for from outside the window (the command line, a later
// start, a drop) the way a user chooses it: the folder in the folder list,
// then its drive in the drive list. path: absolute; a file's path opens the
// folder that holds it. False, with nothing changed, when it cannot be opened.
bool openRequestedFolder(StartupWindow& window, const QString& path);

// The folder to open for path: path itself, or the folder that holds it when
// path is something other than a folder. A path that does not exist stays as
// it is (and fails to open).
QString folderToOpen(const QString& path);

// Shutdown: stores the open folder, on every close.
void shutDown(const StartupWindow& window);
