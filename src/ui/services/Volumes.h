#pragma once

#include "ui/services/Replaceable.h"

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
class VolumeSource : public ReplaceableService<VolumeSource> {
public:
    // The browsable volumes, the root file system first.
    virtual QList<Volume> volumes() = 0;
    // 0 when folder exists and can be listed, else the errno of the failure.
    virtual int probe(const QString& folder) = 0;

    // The system's: mounted volumes without pseudo file systems; the root,
    // /home when it is its own, and whatever is mounted under /media,
    // /run/media and /mnt.
    static VolumeSource& real();
};

// The volume that holds path: the one whose mount point is its longest
// prefix (the root file system for any absolute path). Empty when none does.
QString volumeOf(const QString& path, const QList<Volume>& volumes);

// True when path lies at or below folder (both absolute, cleaned).
bool isAtOrBelow(const QString& path, const QString& folder);

// What opening a folder or a drive met.
enum class FolderAccess {
    Opened,
    NotFound,  // the folder does not exist
    NotReady,  // its medium is missing, its device or peer does not answer, or
               // permission is refused; a removed card's mount point counts too
    Failed,    // anything else
};

// The not-ready errors: a medium that is missing, a device or network peer
// that does not answer, a permission refused.
bool isNotReadyError(int error);

// How a probe's errno reads for a folder the user opens.
FolderAccess folderAccessFor(int error);
