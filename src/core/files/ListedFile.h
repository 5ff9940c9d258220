#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <memory>

// Where a file's shooting time came from. None: no time is known, because it
// has not been read yet or because neither the photo's metadata nor the
// file's own time could be read (a file gone meanwhile, say).
enum class TimeSource { None, Exif, FileModified };

// The camera that took a photo, as its Exif says: Make, Model and the body's
// serial number where the file has one (see core/photo/ShootingTime.h for
// the tags), each as stored, without the padding around it. The serial
// number tells two bodies of one model apart. All empty: not known.
//
// Every listed file carries one, and a card of one body holds tens of
// thousands of photos: the names are kept once, behind a shared pointer, so
// that a file's record stays small to copy, sort and page in.
class Camera {
public:
    Camera() = default;
    Camera(QByteArray make, QByteArray model, QByteArray serial) {
        if (!make.isEmpty() || !model.isEmpty() || !serial.isEmpty())
            names_ = std::make_shared<const Names>(
                Names{std::move(make), std::move(model), std::move(serial)});
    }

    const QByteArray& make() const { return names_ ? names_->make : empty(); }
    const QByteArray& model() const { return names_ ? names_->model : empty(); }
    const QByteArray& serial() const { return names_ ? names_->serial : empty(); }
    bool isKnown() const { return names_ != nullptr; }
    bool operator==(const Camera& other) const {
        return names_ == other.names_ ||
               (names_ && other.names_ && names_->make == other.names_->make &&
                names_->model == other.names_->model && names_->serial == other.names_->serial);
    }

private:
    struct Names {
        QByteArray make;
        QByteArray model;
        QByteArray serial;
    };
    static const QByteArray& empty() {
        static const QByteArray none;
        return none;
    }
    std::shared_ptr<const Names> names_;  // none where every name is empty
};

// When a photo was taken, as a naive wall-clock time: milliseconds since
// 1970-01-01T00:00 of the clock it was read from, with no time zone (see
// core/photo/ShootingTime.h).
struct ShootingTime {
    qint64 localMsecs = 0;  // as the clock wrote it
    TimeSource source = TimeSource::None;
    // The clock an Exif time comes from, when the file names its camera;
    // never set for a file's own time, which the computer's clock wrote.
    Camera camera;
    // What the user said that clock is off by, added wherever the list uses
    // the time (see core/files/CameraClocks.h).
    qint64 clockOffsetMsecs = 0;

    bool isKnown() const { return source != TimeSource::None; }
    qint64 correctedMsecs() const { return localMsecs + clockOffsetMsecs; }
    bool isCorrected() const { return clockOffsetMsecs != 0; }
    bool operator==(const ShootingTime&) const = default;
};

// One file of the conversion list, and everything the program learns of it
// while it is listed: its name as the folder gave it, the inode number the
// listing told (the undo knows the file by it where the file system keeps
// such numbers; 0 when unknown) and, once read, its shooting time, the
// camera that took it and that camera's clock correction. Whatever
// reorders or thins out the list moves the whole record, so no fact about a
// file can end up beside another file's name.
struct ListedFile {
    QByteArray name;
    quint64 inode = 0;
    ShootingTime time;

    bool operator==(const ListedFile&) const = default;
};
