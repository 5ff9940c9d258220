#include "core/rename/FileSystem.h"

#include "core/rename/RenameFallback.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

int renameAfterCheck(const QByteArray& from, const QByteArray& to) {
    struct stat st;
    if (::lstat(to.constData(), &st) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return std::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

int renameByLink(const QByteArray& from, const QByteArray& to) {
    // Flags 0: a symbolic link is linked itself, never the file it points to.
    if (::linkat(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), 0) != 0) {
        const int error = errno;
        switch (error) {
            case EPERM:  // also what FAT-like file systems answer
            case EOPNOTSUPP:
            case ENOSYS:
            case EMLINK:
                return renameAfterCheck(from, to);
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

int PosixFileSystem::renameNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    // EINVAL: this file system does not take the flag; ENOSYS: an old kernel.
    if (error != EINVAL && error != ENOSYS)
        return error;
    return renameByLink(from, to);
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
