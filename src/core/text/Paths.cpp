#include "core/text/Paths.h"

#include <QDir>

QString withTrailingSlash(const QString& folder) {
    QString out = folder;
    while (out.endsWith(u'/'))
        out.chop(1);
    return out + u'/';
}

QByteArray withTrailingSlash(const QByteArray& folder) {
    QByteArray out = folder;
    while (out.endsWith('/'))
        out.chop(1);
    return out + '/';
}

QString normalizeFolderPath(const QString& path) {
    if (path.isEmpty())
        return path;
    // cleanPath keeps the escaped bytes of fromNative: it only looks at "/" and ".".
    QString clean = QDir::cleanPath(path);
    if (clean.size() > 1 && clean.endsWith(u'/'))
        clean.chop(1);
    return clean;
}

QString joinPath(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QString parentFolder(const QString& folder) {
    if (folder == u"/" || folder.isEmpty())
        return QString();
    const qsizetype slash = folder.lastIndexOf(u'/');
    if (slash < 0)
        return QString();
    return slash == 0 ? QStringLiteral("/") : folder.left(slash);
}

QString folderName(const QString& folder) {
    return folder == u"/" ? folder : folder.mid(folder.lastIndexOf(u'/') + 1);
}
