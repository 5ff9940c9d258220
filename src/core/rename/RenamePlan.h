#pragma once

#include "core/files/ListedFile.h"
#include "core/rename/FileSystem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// One batch as the main window holds it when the user confirms.
struct RenameRequest {
    QString folder;                  // the folder the listed files are in
    QString destination;             // the destination folder the window shows
    bool moveToDestination = false;  // the files go to destination instead of staying
    bool ownName = false;            // own name + serial; prefix and suffix are not used
    QString prefix;
    QString suffix;
    QString startNumber;  // as typed
    // The listed files in serial order: each name as the folder gave it, and
    // the inode number the listing told (0 when unknown), which the undo knows
    // the file by where the file system keeps such numbers.
    std::vector<ListedFile> files;

    // The folder the new names go to.
    QString targetFolder() const { return moveToDestination ? destination : folder; }
};

// Why a batch could not start or did not go on. Each reason has the number
// that tools and the stop messages are known by (see stopNumber), so that
// none passes for a run that went through.
enum class StopReason {
    // Found while the plan is made, before any file moves.
    SerialOverflow,  // the start or the last serial is above 32767
    BadStartNumber,  // the start number is not plain digits
    UnfitName,       // a new name the file system cannot hold: too long, or a NUL or "/" in it
    // Met by a rename.
    FolderMissing,  // the destination folder does not exist (the files' own folder does)
    NameTaken,      // a file of the new name exists
    FolderGone,     // the files' own folder is no longer there
    AccessError,    // any other refusal of a rename
    RecordFailed,   // the journal could not take the file's record, so it was not renamed
};
int stopNumber(StopReason reason);

// Why a plan refuses its whole batch: no file may be renamed. A start number
// that cannot number the list concerns no one entry; a new name the file
// system cannot hold is the name of entry `at`.
struct PlanRefusal {
    StopReason reason = StopReason::BadStartNumber;  // BadStartNumber, SerialOverflow or UnfitName
    int at = -1;                                     // UnfitName: the entry; else -1
    int error = 0;  // UnfitName: ENAMETOOLONG, or EINVAL for a NUL or "/"; else 0

    bool operator==(const PlanRefusal&) const = default;
};

// Every new name of a batch, built once, before any file moves: the question
// shows them, the run renames to them. A batch whose numbers or names cannot
// be given is refused as a whole, so that it never stops half-way for a
// reason known beforehand.
class RenamePlan {
public:
    // fs tells the longest name the target folder's file system takes.
    static RenamePlan make(const RenameRequest& request, FileSystem& fs);

    // Nothing, or why no file may be renamed.
    const std::optional<PlanRefusal>& refusal() const { return refusal_; }

    int count() const { return int(files_.size()); }
    QByteArrayView entry(int k) const { return files_[size_t(k)].name; }
    // The listing's inode number of entry k; 0 when unknown.
    quint64 inode(int k) const { return files_[size_t(k)].inode; }
    QByteArrayView newName(int k) const;

    // Both end in "/".
    const QByteArray& sourceFolder() const { return sourceFolder_; }
    const QByteArray& targetFolder() const { return targetFolder_; }

private:
    std::vector<ListedFile> files_;
    QByteArray newNames_;          // every new name, one after the other
    std::vector<qsizetype> ends_;  // where each new name ends in newNames_
    QByteArray sourceFolder_;
    QByteArray targetFolder_;
    std::optional<PlanRefusal> refusal_;
};
