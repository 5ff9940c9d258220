#include "app/InstallLayout.h"

#include <QDir>
#include <QFileInfo>

#ifndef TOLVANE_DATA_FROM_BIN
#define TOLVANE_DATA_FROM_BIN "../share/tolvane"
#endif

namespace {

QString withSeparator(const QString& folder) {
    const QString plain = QDir::fromNativeSeparators(folder);
    return plain.endsWith(u'/') ? plain : plain + u'/';
}

}  // namespace

QString installedDataFolder(const QString& applicationFolder) {
    const QString folder =
        QDir::cleanPath(withSeparator(applicationFolder) + QStringLiteral(TOLVANE_DATA_FROM_BIN));
    return withSeparator(folder);
}

QString shippedFilePath(const QString& applicationFolder, const QString& name) {
    const QString beside = withSeparator(applicationFolder) + name;
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
           withSeparator(applicationFolder) + document;
}
