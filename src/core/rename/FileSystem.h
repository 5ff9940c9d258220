#pragma once

#include <QByteArray>
#include <QByteArrayView>

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
};

// The real file system: renameat2 with RENAME_NOREPLACE; where a file system
// refuses that flag, link + unlink where hard links work, else a check for the
// target right before a plain rename. A case-only rename goes through a spare
// name ("~" before the old one) for a moment.
class PosixFileSystem : public FileSystem {
public:
    int renameNoReplace(const QByteArray& from, const QByteArray& to) override;
    bool folderExists(const QByteArray& path) override;
    qsizetype longestName(const QByteArray& folder) override;
};
