#pragma once

#include <QByteArray>
#include <QtGlobal>

// Where a file's shooting time came from. None: no time is known, because it
// has not been read yet or because neither the photo's metadata nor the
// file's own time could be read (a file gone meanwhile, say).
enum class TimeSource { None, Exif, FileModified };

// When a photo was taken, as a naive wall-clock time: milliseconds since
// 1970-01-01T00:00 of the clock it was read from, with no time zone (see
// core/photo/ShootingTime.h).
struct ShootingTime {
    qint64 localMsecs = 0;
    TimeSource source = TimeSource::None;

    bool isKnown() const { return source != TimeSource::None; }
    bool operator==(const ShootingTime&) const = default;
};

// One file of the conversion list, and everything the program learns of it
// while it is listed: its name as the folder gave it, the inode number the
// listing told (the undo knows the file by it where the file system keeps
// such numbers; 0 when unknown) and, once read, its shooting time. Whatever
// reorders or thins out the list moves the whole record, so no fact about a
// file can end up beside another file's name.
struct ListedFile {
    QByteArray name;
    quint64 inode = 0;
    ShootingTime time;

    bool operator==(const ListedFile&) const = default;
};
