#include "ui/services/Volumes.h"

#include "core/text/NativeName.h"
#include "core/text/Paths.h"

#include <QDir>
#include <QStorageInfo>

#include <cerrno>

#include <dirent.h>

namespace {

bool isPseudoFileSystem(const QByteArray& type) {
    static const char* const pseudo[] = {
        "tmpfs",      "devtmpfs", "ramfs",      "overlay", "squashfs", "autofs",    "proc",
        "sysfs",      "cgroup",   "cgroup2",    "devpts",  "mqueue",   "debugfs",   "tracefs",
        "securityfs", "pstore",   "bpf",        "fusectl", "configfs", "hugetlbfs", "binfmt_misc",
        "efivarfs",   "nsfs",     "rpc_pipefs", "nfsd",    "selinuxfs"};
    for (const char* p : pseudo) {
        if (type == p)
            return true;
    }
    return false;
}

bool isBrowsableMountPoint(const QString& mountPoint) {
    return mountPoint == u"/" || mountPoint == u"/home" || mountPoint.startsWith(u"/media/") ||
           mountPoint.startsWith(u"/run/media/") || mountPoint == u"/mnt" ||
           mountPoint.startsWith(u"/mnt/");
}

class SystemVolumeSource : public VolumeSource {
public:
    QList<Volume> volumes() override;
    int probe(const QString& folder) override;
};

}  // namespace

VolumeSource& VolumeSource::real() {
    static SystemVolumeSource source;
    return source;
}

bool isAtOrBelow(const QString& path, const QString& folder) {
    if (folder.isEmpty())
        return false;
    if (path == folder)
        return true;
    return path.startsWith(withTrailingSlash(folder));
}

QString volumeOf(const QString& path, const QList<Volume>& volumes) {
    QString best;
    for (const Volume& v : volumes) {
        if (isAtOrBelow(path, v.mountPoint) && v.mountPoint.size() > best.size())
            best = v.mountPoint;
    }
    return best;
}

QList<Volume> SystemVolumeSource::volumes() {
    QList<Volume> result;
    const QString rootPath = QDir::rootPath();
    for (const QStorageInfo& info : QStorageInfo::mountedVolumes()) {
        const QString mountPoint = info.rootPath();
        const bool isRoot = mountPoint == rootPath;
        if (!isRoot) {
            if (!isBrowsableMountPoint(mountPoint) || isPseudoFileSystem(info.fileSystemType()))
                continue;
            if (info.isValid() && info.isReady() && info.bytesTotal() == 0)
                continue;
        }
        bool seen = false;
        for (const Volume& v : result)
            seen = seen || v.mountPoint == mountPoint;
        if (seen)
            continue;
        Volume volume{mountPoint, info.name()};
        if (isRoot)
            result.prepend(volume);
        else
            result.append(volume);
    }
    if (result.isEmpty() || result.front().mountPoint != rootPath)
        result.prepend(Volume{rootPath, QString()});
    return result;
}

int SystemVolumeSource::probe(const QString& folder) {
    DIR* dir = ::opendir(toNative(folder).constData());
    if (!dir)
        return errno ? errno : EIO;
    ::closedir(dir);
    return 0;
}

bool isNotReadyError(int error) {
    switch (error) {
        case EIO:
        case ENXIO:
        case ENODEV:
        case EACCES:
        case EPERM:
        case EBUSY:
        case EAGAIN:
        case ETIMEDOUT:
        case ENOTCONN:
        case ECONNREFUSED:
        case ECONNRESET:
        case ECONNABORTED:
        case ENETDOWN:
        case ENETUNREACH:
        case EHOSTUNREACH:
        case EHOSTDOWN:
        case ENOMEDIUM:
        case EREMOTEIO:
        case ESTALE:
        case ENOLINK:
            return true;
        default:
            return false;
    }
}

FolderAccess folderAccessFor(int error) {
    if (error == 0)
        return FolderAccess::Opened;
    if (error == ENOENT || error == ENOTDIR)
        return FolderAccess::NotFound;
    return isNotReadyError(error) ? FolderAccess::NotReady : FolderAccess::Failed;
}
