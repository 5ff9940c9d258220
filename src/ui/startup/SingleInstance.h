#pragma once

#include <QLockFile>
#include <QString>

// Keeps a second copy of the program from running for the same user: the
// first copy holds a lock file for as long as it lives, and a copy that finds
// the lock taken ends. The lock is keyed on the executable's path, so that
// two different installations do not shut each other out. A lock left behind
// by a copy that was killed is taken over at once. Beside the lock, under the
// same key, the running copy listens for folders that later starts hand it
// (FolderHandOff.h).
class SingleInstance {
public:
    // lockFolder: where the lock file goes; empty for the user's runtime
    // folder. Needs the application object for the executable's path.
    explicit SingleInstance(const QString& lockFolder = QString());

    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False only when another running copy holds the lock. When no lock can
    // be made at all (no usable runtime folder), the program runs: refusing
    // to start would be worse than a second window.
    bool acquire();

    QString lockFilePath() const { return path_; }
    // Where the copy that holds the lock takes folders from later starts.
    QString socketPath() const { return socketPath_; }

private:
    QString path_;
    QString socketPath_;
    QLockFile lock_;
};
