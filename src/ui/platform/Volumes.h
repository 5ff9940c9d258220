#pragma once

#include <QList>
#include <QString>

// A drive of the drive lists: a mounted volume a user would browse.
struct Volume {
    QString mountPoint;  // "/", "/home", "/media/taro/EOS_DIGITAL"
    QString name;        // the volume's label, may be empty

    bool operator==(const Volume&) const = default;
};

// Where the drive and folder lists learn which volumes exist and whether a
// folder can be opened. Tests put a scripted source in place of the real one
// to play a drive whose medium is missing.
class VolumeSource {
public:
    virtual ~VolumeSource() = default;
    // The browsable volumes, the root file system first.
    virtual QList<Volume> volumes() = 0;
    // 0 when folder exists and can be listed, else the errno of the failure.
    virtual int probe(const QString& folder) = 0;
};

VolumeSource& volumeSource();
void setVolumeSource(VolumeSource* source);  // nullptr: the real one

// The volume that holds path: the one whose mount point is its longest
// prefix (the root file system for any absolute path). Empty when none does.
QString volumeOf(const QString& path, const QList<Volume>& volumes);

// True when path lies at or below folder (both absolute, cleaned).
bool isAtOrBelow(const QString& path, const QString& folder);

// The real source: mounted volumes from the system, without pseudo file
// systems; the root, /home when it is its own, and whatever is mounted under
// /media, /run/media and /mnt.
class SystemVolumeSource : public VolumeSource {
public:
    QList<Volume> volumes() override;
    int probe(const QString& folder) override;
};

// Error numbers the folder and drive lists report, as the platform numbers
// its file errors.
enum PlatformError {
    kErrDeviceUnavailable = 68,
    kErrDiskNotReady = 71,
    kErrPathFileAccess = 75,
    kErrPathNotFound = 76,
};

// A drive that cannot be opened because its medium is missing, its device or
// network peer does not answer, or permission is refused counts as not ready.
bool isNotReadyError(int err);
