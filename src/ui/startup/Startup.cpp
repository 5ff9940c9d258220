#include "ui/startup/Startup.h"

#include "core/files/FileList.h"
#include "core/settings/Settings.h"

void startUp(StartupWindow& window) {
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

    // Restoring the folder: the first failing step ends the restore. A folder
    // that no longer exists leaves the start folder, without a message; every
    // other failure is passed over in silence.
    const QString stored = readSetting(Setting::LastFolder);
    if (window.openFolder(stored) == FolderAccess::Opened) {
        // The drive that holds the folder; its drive change lands on the same
        // folder, which the folder list now remembers as that drive's own.
        window.selectDriveOf(readSetting(Setting::LastFolder));
    }
}

void shutDown(const StartupWindow& window) {
    writeSetting(Setting::LastFolder, window.openFolderPath());
}
