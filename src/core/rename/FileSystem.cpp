#include "core/rename/FileSystem.h"

#include "core/rename/NameRules.h"
#include "core/rename/RenameFallback.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>

namespace {

// Spare names tried before a case-only rename gives up.
constexpr int kSpareAttempts = 100;

int checkThenRename(const QByteArray& from, const QByteArray& to) {
    struct stat st;
    if (::lstat(to.constData(), &st) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return std::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

int linkThenUnlink(const QByteArray& from, const QByteArray& to) {
    // Flags 0: a symbolic link is linked itself, never the file it points to.
    if (::linkat(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), 0) != 0) {
        const int error = errno;
        switch (error) {
            case EPERM:  // also what FAT-like file systems answer
            case EOPNOTSUPP:
            case ENOSYS:
            case EMLINK:
                return checkThenRename(from, to);
            default:
                return error;
        }
    }
    if (::unlink(from.constData()) != 0) {
        // Both names now lead to the file: drop the new one, so the file
        // stays as it was and the caller learns why.
        const int error = errno;
        ::unlink(to.constData());
        return error;
    }
    return 0;
}

int noReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    // EINVAL: this file system does not take the flag; ENOSYS: an old kernel.
    if (error != EINVAL && error != ENOSYS)
        return error;
    return linkThenUnlink(from, to);
}

// A camera card ignores letter case, so a new name that differs from the
// file's own in case only is "taken" by the file itself. Its inode number
// cannot tell: FUSE drivers number a file anew under each spelling. So a file
// that looks the same under both names is moved aside to a spare name: if the
// new name is then free, it was the file's own, and the file takes it;
// otherwise another file holds it, and the file goes back. A plain rename(2)
// would not do: the kernel leaves the name as it was when both names lead to
// one inode, and a second hard link would keep both names.
int unlessTakenByItself(int error, const QByteArray& from, const QByteArray& to) {
    struct stat own;
    struct stat target;
    if (error != EEXIST || ::lstat(from.constData(), &own) != 0 ||
        ::lstat(to.constData(), &target) != 0)
        return error;
    // A file with a second hard link holds both names: never take it for itself.
    const bool alike = own.st_dev == target.st_dev && own.st_nlink == 1 && target.st_nlink == 1 &&
                       own.st_mode == target.st_mode && own.st_size == target.st_size &&
                       own.st_mtime == target.st_mtime;
    if (!alike)
        return error;
    // A spare name another file holds (a "~" name the user keeps) is varied
    // until one is free: the name the file wants is no less its own.
    const qsizetype slash = from.lastIndexOf('/') + 1;
    QByteArray spare;
    int aside = EEXIST;
    for (int attempt = 0; attempt < kSpareAttempts && aside == EEXIST; ++attempt) {
        spare =
            from.first(slash) + spareName(QByteArrayView(from).sliced(slash), attempt, NAME_MAX);
        aside = noReplace(from, spare);
    }
    if (aside != 0)
        return EEXIST;
    // The rename's own lookup asks the file system afresh; an lstat here
    // could still see the old name in a FUSE file system's cache.
    const int result = noReplace(spare, to);
    if (result != 0)
        noReplace(spare, from);
    return result;
}

}  // namespace

int renameAfterCheck(const QByteArray& from, const QByteArray& to) {
    return unlessTakenByItself(checkThenRename(from, to), from, to);
}

int renameByLink(const QByteArray& from, const QByteArray& to) {
    return unlessTakenByItself(linkThenUnlink(from, to), from, to);
}

int PosixFileSystem::renameNoReplace(const QByteArray& from, const QByteArray& to) {
    return unlessTakenByItself(noReplace(from, to), from, to);
}

bool PosixFileSystem::folderExists(const QByteArray& path) {
    struct stat st;
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

qsizetype PosixFileSystem::longestName(const QByteArray& folder) {
    const long longest = ::pathconf(folder.constData(), _PC_NAME_MAX);
    // No answer (the folder is missing, say): the common limit, and the
    // rename itself reports what is wrong with the folder.
    return longest > 0 ? qsizetype(longest) : qsizetype(255);
}

bool isSameFile(const FileIdentity& id, const FileIdentity& found, IdentityKind kind,
                qint64 batchStartedNs) {
    if (kind == IdentityKind::Inode) {
        return id.device == found.device && id.inode == found.inode &&
               (found.bornNs == 0 || found.bornNs <= batchStartedNs);
    }
    // The size is kept exactly. A card keeps a file's time coarser than the
    // system may have told it while the card was in (FAT in steps of 2 s,
    // exFAT of 10 ms, FUSE drivers in whole seconds), so the time read after
    // a new mount, or once the kernel forgot the file, may lie up to a step
    // from the one recorded. And a FAT driver may stamp a file it renames
    // with the time of the rename, which shows once the card is put in
    // again: a time no earlier than the batch is the batch's own stamp.
    if (id.size != found.size)
        return false;
    const qint64 apart = id.modifiedNs - found.modifiedNs;
    return (apart < kCardTimeStepNs && apart > -kCardTimeStepNs) ||
           found.modifiedNs > batchStartedNs - kCardTimeStepNs;
}

qint64 fileClockNow() {
    // The fine clock: the kernel stamps a file from the coarse one or, where
    // it was asked for the time a moment before, from the fine one, so a file
    // made before this reading is never stamped after it. (One made in the
    // tick after it may be stamped a few milliseconds before it.)
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

IdentityKind FileSystem::identityKind(const QByteArray&) {
    return IdentityKind::SizeAndTime;
}

std::optional<FileIdentity> FileSystem::identify(const QByteArray&) {
    return std::nullopt;
}

IdentityKind PosixFileSystem::identityKind(const QByteArray& folder) {
    struct statfs fs;
    if (::statfs(folder.constData(), &fs) != 0)
        return IdentityKind::SizeAndTime;
    // The file systems whose inode numbers last; anything else (FAT, exFAT,
    // NTFS through FUSE, network shares) is known by size and time.
    switch (static_cast<unsigned long>(fs.f_type)) {
        case 0xEF53:      // ext2, ext3, ext4
        case 0x01021994:  // tmpfs
        case 0x9123683E:  // btrfs
        case 0x58465342:  // xfs
        case 0xF2F52010:  // f2fs
        case 0x2FC12FC1:  // zfs
            return IdentityKind::Inode;
        default:
            return IdentityKind::SizeAndTime;
    }
}

std::optional<FileIdentity> PosixFileSystem::identify(const QByteArray& path) {
    struct statx st;
    if (::statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME,
                &st) != 0)
        return std::nullopt;
    const auto nanoseconds = [](const statx_timestamp& t) {
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    };
    return FileIdentity{quint64(makedev(st.stx_dev_major, st.stx_dev_minor)), quint64(st.stx_ino),
                        qint64(st.stx_size), nanoseconds(st.stx_mtime),
                        (st.stx_mask & STATX_BTIME) ? nanoseconds(st.stx_btime) : 0};
}
