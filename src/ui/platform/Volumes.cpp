#include "ui/platform/Volumes.h"

#include "app/NativeName.h"

#include <QDir>
#include <QStorageInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <dirent.h>
#endif

namespace {

VolumeSource* g_source = nullptr;

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
#ifdef Q_OS_UNIX
    return mountPoint == QLatin1String("/") || mountPoint == QLatin1String("/home") ||
           mountPoint.startsWith(QLatin1String("/media/")) ||
           mountPoint.startsWith(QLatin1String("/run/media/")) ||
           mountPoint == QLatin1String("/mnt") || mountPoint.startsWith(QLatin1String("/mnt/")) ||
           mountPoint.startsWith(QLatin1String("/Volumes/"));
#else
    Q_UNUSED(mountPoint);
    return true;
#endif
}

}  // namespace

VolumeSource& volumeSource() {
    static SystemVolumeSource real;
    return g_source ? *g_source : real;
}

void setVolumeSource(VolumeSource* source) {
    g_source = source;
}

bool isAtOrBelow(const QString& path, const QString& folder) {
    if (folder.isEmpty())
        return false;
    if (path == folder)
        return true;
    const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    return path.startsWith(prefix);
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
#ifdef Q_OS_UNIX
    DIR* dir = ::opendir(toNative(folder).constData());
    if (!dir)
        return errno ? errno : EIO;
    ::closedir(dir);
    return 0;
#else
    const QDir dir(folder);
    if (!dir.exists())
        return ENOENT;
    return dir.isReadable() ? 0 : EACCES;
#endif
}

bool isNotReadyError(int err) {
    switch (err) {
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
#ifdef EHOSTDOWN
        case EHOSTDOWN:
#endif
#ifdef ENOMEDIUM
        case ENOMEDIUM:
#endif
#ifdef EREMOTEIO
        case EREMOTEIO:
#endif
#ifdef ESTALE
        case ESTALE:
#endif
#ifdef ENOLINK
        case ENOLINK:
#endif
            return true;
        default:
            return false;
    }
}
