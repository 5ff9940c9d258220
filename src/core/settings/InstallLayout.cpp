#include "core/settings/InstallLayout.h"

#include "core/text/Paths.h"

#include <QDir>
#include <QFileInfo>

#ifndef TOLVANE_DATA_FROM_BIN
#define TOLVANE_DATA_FROM_BIN "../share/tolvane"
#endif

QString installedDataFolder(const QString& applicationFolder) {
    const QString folder = QDir::cleanPath(withTrailingSlash(applicationFolder) +
                                           QStringLiteral(TOLVANE_DATA_FROM_BIN));
    return withTrailingSlash(folder);
}

QString shippedFilePath(const QString& applicationFolder, const QString& name) {
    const QString beside = withTrailingSlash(applicationFolder) + name;
    if (QFileInfo(beside).isFile())
        return beside;
    const QString installed = installedDataFolder(applicationFolder) + name;
    if (QFileInfo(installed).isFile())
        return installed;
    return beside;
}

bool isInstalledCopy(const QString& applicationFolder) {
    const QString document = QString::fromUtf16(kUsageDocumentName);
    return shippedFilePath(applicationFolder, document) !=
           withTrailingSlash(applicationFolder) + document;
}
