#pragma once

#include <QByteArray>
#include <QString>

// Folder paths are held without a final "/", but for the root "/".

// folder with exactly one "/" at its end.
QString withTrailingSlash(const QString& folder);
QByteArray withTrailingSlash(const QByteArray& folder);

// "/a/b/" gives "/a/b", "" stays "", "/" stays "/"; relative paths are only cleaned.
QString normalizeFolderPath(const QString& path);

// name in folder, joined by one "/".
QString joinPath(const QString& folder, const QString& name);

// The folder that holds folder; empty for the root and for the empty text.
QString parentFolder(const QString& folder);

// The last component of a folder path: "/a/b" gives "b", "/" gives "/".
QString folderName(const QString& folder);
