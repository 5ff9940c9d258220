#include "app/Startup.h"

#include "app/Module1.h"

namespace {

constexpr int kPathNotFound = 76;

}  // namespace

void Form_Load(StartupWindow& window) {
    const QString patterns = INI_read(QStringLiteral("Data"), QStringLiteral("拡張子"));
    window.setLabelCaption(window.folderPath());
    if (patterns.isEmpty()) {
        // A first run, or a list the user emptied. Closing the dialog without
        // confirming stores nothing; the placeholder then shows no file until
        // the user chooses extensions.
        if (!window.runFirstRunDialog())
            window.setFilePattern(QString::fromUtf16(kPlaceholderPattern));
    } else {
        window.setFilePattern(patterns);
    }

    // Restoring the folder: the first failing step ends the restore. A folder
    // that no longer exists leaves the start folder, without a message; every
    // other failure is passed over in silence.
    const QString stored = INI_read(QStringLiteral("Data"), QStringLiteral("パス"));
    int err = window.setFolderPath(stored);
    if (err == 0) {
        // The drive that holds the folder; its drive change lands on the same
        // folder, which the folder list now remembers as that drive's own.
        err = window.setDriveOf(INI_read(QStringLiteral("Data"), QStringLiteral("パス")));
    }
    if (err == kPathNotFound)
        window.setFolderPath(QString());
}

void Form_Unload(const StartupWindow& window) {
    INI_write(QStringLiteral("Data"), QStringLiteral("パス"), window.folderPath());
}
