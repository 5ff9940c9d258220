#include "rename/FileSystem.h"

#include <QtGlobal>

#ifdef Q_OS_WIN

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cerrno>
#include <string>

#include "app/NativeName.h"

namespace {

std::wstring widePath(const QByteArray& path) {
    return fromNative(path).toStdWString();
}

int errnoFor(DWORD error) {
    switch (error) {
        case ERROR_ALREADY_EXISTS:
        case ERROR_FILE_EXISTS:
            return EEXIST;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
            return ENOENT;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_ACCESS_DENIED:
            return EACCES;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EBUSY;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        case ERROR_DISK_FULL:
            return ENOSPC;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        default:
            return EIO;
    }
}

}  // namespace

int PosixFileSystem::renameNoReplace(const QByteArray& from, const QByteArray& to) {
    // No MOVEFILE_REPLACE_EXISTING: an existing target is refused. No
    // MOVEFILE_COPY_ALLOWED: a move to another drive is refused, not copied.
    if (MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), 0))
        return 0;
    return errnoFor(GetLastError());
}

qsizetype PosixFileSystem::longestName(const QByteArray&) {
    return 255;  // in UTF-16 units, on NTFS, exFAT and FAT with long names
}

qsizetype nativeNameLength(QByteArrayView name) {
    return fromNative(name.toByteArray()).size();
}

bool PosixFileSystem::folderExists(const QByteArray& path) {
    const DWORD attributes = GetFileAttributesW(widePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

#else  // POSIX

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "rename/RenameFallback.h"

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
#ifdef __linux__
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    // EINVAL: this file system does not take the flag; ENOSYS: an old kernel.
    if (error != EINVAL && error != ENOSYS)
        return error;
#endif
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

qsizetype nativeNameLength(QByteArrayView name) {
    return name.size();
}

#endif
