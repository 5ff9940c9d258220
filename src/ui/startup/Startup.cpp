#include "ui/startup/Startup.h"

#include "core/files/FileList.h"
#include "core/settings/Settings.h"
#include "core/text/NativeName.h"
#include "core/text/Paths.h"

#include <sys/stat.h>

namespace {

bool openWithDrive(StartupWindow& window, const QString& folder) {
    if (window.openFolder(folder) != FolderAccess::Opened)
        return false;
    // The drive that holds the folder; its drive change lands on the same
    // folder, which the folder list now remembers as that drive's own.
    window.selectDriveOf(folder);
    return true;
}

}  // namespace

QString folderToOpen(const QString& path) {
    struct stat info = {};
    if (::stat(toNative(path).constData(), &info) == 0 && !S_ISDIR(info.st_mode))
        return parentFolder(path);
    return path;
}

bool openRequestedFolder(StartupWindow& window, const QString& path) {
    if (!path.startsWith(u'/'))
        return false;
    return openWithDrive(window, folderToOpen(normalizeFolderPath(path)));
}

void startUp(StartupWindow& window, const QString& requestedFolder) {
    const QString patterns = readSetting(Setting::Extensions);
    window.setDestination(window.openFolderPath());
    if (patterns.isEmpty()) {
        // A first run, or a list the user emptied. Closing the dialog without
        // confirming stores nothing; the placeholder then shows no file until
        // the user chooses extensions.
        if (!window.askForExtensions())
            window.setExtensionPatterns(QString::fromUtf16(kNoExtensionsPattern));
    } else {
        window.setExtensionPatterns(patterns);
    }

    // A folder asked for on the command line that cannot be opened falls
    // back as a stored folder that vanished does: never a message at start.
    if (openRequestedFolder(window, requestedFolder))
        return;

    // Restoring the folder: the first failing step ends the restore. A folder
    // that no longer exists leaves the start folder, without a message; every
    // other failure is passed over in silence.
    openWithDrive(window, readSetting(Setting::LastFolder));
}

void shutDown(const StartupWindow& window) {
    writeSetting(Setting::LastFolder, window.openFolderPath());
}
