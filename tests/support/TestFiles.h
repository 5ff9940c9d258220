#pragma once

#include "core/files/ListedFile.h"
#include "core/files/Shots.h"
#include "core/rename/BatchHistory.h"
#include "core/rename/FileSystem.h"
#include "core/rename/RenamePlan.h"
#include "core/text/NativeName.h"
#include "core/text/NaturalOrder.h"

#include <QByteArrayList>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <vector>

// Makes an empty file.
inline void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

// A temporary folder that goes away with every name in it: QTemporaryDir
// leaves behind names that are not UTF-8, and so the folder holding them.
struct ScratchFolder : QTemporaryDir {
    using QTemporaryDir::QTemporaryDir;
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(path()).toStdString(), ignored);
    }
};

// Files by name alone, each a shot of its own, as a batch gets them where no
// listing told their inode numbers.
inline std::vector<Shot> shotsNamed(const QByteArrayList& names) {
    std::vector<Shot> shots;
    for (const QByteArray& name : names)
        shots.push_back(ListedFile{name, 0, {}});
    return shots;
}

// The files by name as the list holds them with 同じ名前のファイルに同じ番号を
//付ける on: files of one name one shot, with their sidecars among names and
// others (the folder's sidecars off the list), the shots in the order of
// their first files in names. Files of names of their own are shots of their
// own, as with the item off.
inline std::vector<Shot> shotsTogether(const QByteArrayList& names,
                                       const QByteArrayList& others = {}) {
    std::vector<ListedFile> files;
    for (const QByteArray& name : names)
        files.push_back({name, 0, {}});
    std::sort(files.begin(), files.end(),
              [](const ListedFile& a, const ListedFile& b) { return naturalLess(a.name, b.name); });
    std::vector<ListedFile> sidecars;
    for (const QByteArray& name : others)
        sidecars.push_back({name, 0, {}});
    std::vector<Shot> shots = formShots(files, sidecars, {});
    std::stable_sort(shots.begin(), shots.end(), [&names](const Shot& a, const Shot& b) {
        return names.indexOf(a.first().name) < names.indexOf(b.first().name);
    });
    return shots;
}

// The files by name in folder, renamed in place from 1 after prefix;
// withInodes: each known by its inode number, as the folder listing gives them.
inline RenameRequest batchRequest(const QByteArray& folder, const QByteArrayList& names,
                                  const QString& prefix, bool withInodes = false) {
    RenameRequest r;
    r.folder = r.destination = fromNative(folder);
    r.startNumber = QStringLiteral("1");
    r.prefix = prefix;
    PosixFileSystem fs;
    for (const QByteArray& name : names) {
        const std::optional<FileIdentity> id =
            withInodes ? fs.identify(folder + '/' + name) : std::nullopt;
        r.shots.push_back(ListedFile{name, id ? id->inode : 0, {}});
    }
    return r;
}

// A shooting time as its clock shows it, "2024-05-12 09:30:15": Exif, or
// after "file " the file's own; Exif may end in its camera's correction in
// seconds, " +3600".
inline ShootingTime shootingTimeOf(const QString& text) {
    const bool own = text.startsWith(u"file ");
    const QStringList parts = text.mid(own ? 5 : 0).split(u' ');
    const QDateTime at = QDateTime::fromString(parts[0] + u'T' + parts[1], Qt::ISODate);
    return {QDateTime(at.date(), at.time(), Qt::UTC).toMSecsSinceEpoch(),
            own ? TimeSource::FileModified : TimeSource::Exif,
            {},
            parts.size() > 2 ? parts[2].toLongLong() * 1000 : 0};
}

// Gives the files of shots named in names the time of the same place in
// times ("" gives none).
inline void giveTimes(std::vector<Shot>& shots, const QByteArrayList& names,
                      const QStringList& times) {
    for (Shot& shot : shots) {
        for (ListedFile& file : shot.members) {
            if (const qsizetype at = names.indexOf(file.name); at >= 0 && !times[at].isEmpty())
                file.time = shootingTimeOf(times[at]);
        }
    }
}

// Removes every batch journal the program would find, so that a test starts
// with nothing to undo.
inline void removeAllJournals() {
    for (const QString& journal : BatchHistory::standard().journals())
        QFile::remove(journal);
}
