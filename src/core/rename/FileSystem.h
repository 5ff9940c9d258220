#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// How a file is known again after it was renamed, so that an undo brings
// back the very file a batch renamed and never one put under its name later.
struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    qint64 modifiedNs = 0;  // the modification time, nanoseconds since 1970
    qint64 bornNs = 0;      // when the file was made, where the file system tells; else 0

    bool operator==(const FileIdentity&) const = default;
};

enum class IdentityKind {
    // The file system keeps a file's device and inode number for good (ext4,
    // tmpfs, btrfs, xfs …), and a listing gives them for nothing. A deleted
    // file's number goes to the next new file, though: a file made after the
    // batch began is not the batch's, whatever its number.
    Inode,
    // It does not: camera cards (FAT, exFAT) and FUSE number a file afresh
    // under each spelling and after each mount. There a file is known by its
    // size and modification time.
    SizeAndTime,
};

// Whether a file found now is the one that id describes, id recorded for a
// batch that began at batchStartedNs (nanoseconds since 1970). Known by size
// and time, a file's time counts as the same within kCardTimeStepNs, and any
// time from the batch's start on as the one its rename may have stamped.
inline constexpr qint64 kCardTimeStepNs = 2'000'000'000;
bool isSameFile(const FileIdentity& id, const FileIdentity& found, IdentityKind kind,
                qint64 batchStartedNs);

// The time now, on the clock file systems stamp files with, nanoseconds since 1970.
qint64 fileClockNow();

// What the rename engine needs of the file system, and no more, so that tests
// can make any rename fail the way a real desktop would.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Renames (or moves within one file system) the file from to the path to.
    // Never replaces an existing file and never copies. Returns 0 on success,
    // otherwise the errno that describes the failure (EEXIST when to exists,
    // EXDEV for another file system, ...). Where the file system ignores
    // letter case, a name that differs from the file's own in case only is
    // the file's to take, and the file gets its new spelling.
    virtual int renameNoReplace(const QByteArray& from, const QByteArray& to) = 0;

    // True when path names an existing folder.
    virtual bool folderExists(const QByteArray& path) = 0;

    // The longest file name, in bytes, that the file system holding folder takes.
    virtual qsizetype longestName(const QByteArray& folder) = 0;

    // How the files of folder are known again; SizeAndTime where unsure.
    virtual IdentityKind identityKind(const QByteArray& folder);
    // The identity of the file at path (not following a symbolic link), or
    // nothing when there is none. The stand-ins of tests know no files.
    virtual std::optional<FileIdentity> identify(const QByteArray& path);
};

// The real file system: renameat2 with RENAME_NOREPLACE; where a file system
// refuses that flag, link + unlink where hard links work, else a check for the
// target right before a plain rename. A case-only rename goes through a spare
// name (see spareName) for a moment.
class PosixFileSystem : public FileSystem {
public:
    int renameNoReplace(const QByteArray& from, const QByteArray& to) override;
    bool folderExists(const QByteArray& path) override;
    qsizetype longestName(const QByteArray& folder) override;
    IdentityKind identityKind(const QByteArray& folder) override;
    std::optional<FileIdentity> identify(const QByteArray& path) override;
};
