#pragma once

#include "core/common/TaskProgress.h"
#include "core/rename/FileSystem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// One batch as the main window holds it when the user confirms.
struct RenameRequest {
    QString folder;                  // the folder the listed files are in
    QString destination;             // the destination folder the window shows
    bool moveToDestination = false;  // the files go to destination instead of staying
    bool ownName = false;            // own name + serial; prefix and suffix are not used
    QString prefix;
    QString suffix;
    QString startNumber;              // as typed
    std::vector<QByteArray> entries;  // plain file names, native bytes, in serial order
    // Each entry's inode number as the folder listing gave it, when known
    // (then as many as entries): the undo knows the files by them.
    std::vector<quint64> inodes;

    // The folder the new names go to.
    QString targetFolder() const { return moveToDestination ? destination : folder; }
};

// Why a batch stopped. Each reason has the number that tools and the stop
// messages are known by, so that none passes for a run that went through.
enum class StopReason {
    None,
    SerialOverflow,  // the start or the last serial is above 32767
    BadStartNumber,  // the start number is not plain digits
    FolderMissing,   // the destination folder does not exist (the files' own folder does)
    NameTaken,       // a file of the new name exists
    AccessError,     // any other refusal of a rename
};
int stopNumber(StopReason reason);

// Every new name of a batch, built once, before any file moves: the question
// shows them, the run renames to them. A batch whose numbers or names cannot
// be given is refused as a whole, so that it never stops half-way for a
// reason known beforehand.
class RenamePlan {
public:
    // fs tells the longest name the target folder's file system takes.
    static RenamePlan make(const RenameRequest& request, FileSystem& fs);

    // None, or why no file may be renamed: BadStartNumber, SerialOverflow, or
    // AccessError for a new name the file system could not hold exactly as
    // built (too long, or a NUL or "/" in it), with refusedIndex and
    // refusalError (ENAMETOOLONG, EINVAL) telling which and why.
    StopReason refusal() const { return refusal_; }
    int refusedIndex() const { return refusedIndex_; }
    int refusalError() const { return refusalError_; }

    int count() const { return int(entries_.size()); }
    QByteArrayView entry(int k) const { return entries_[size_t(k)]; }
    QByteArrayView newName(int k) const;
    // The listing's inode numbers, one per entry, or none.
    const std::vector<quint64>& inodes() const { return inodes_; }

    // Both end in "/".
    const QByteArray& sourceFolder() const { return sourceFolder_; }
    const QByteArray& targetFolder() const { return targetFolder_; }

private:
    std::vector<QByteArray> entries_;
    std::vector<quint64> inodes_;
    QByteArray newNames_;          // every new name, one after the other
    std::vector<qsizetype> ends_;  // where each new name ends in newNames_
    QByteArray sourceFolder_;
    QByteArray targetFolder_;
    StopReason refusal_ = StopReason::None;
    int refusedIndex_ = -1;
    int refusalError_ = 0;
};

struct RenameOutcome {
    StopReason stop = StopReason::None;
    int error = 0;            // the errno of the failed rename
    int stoppedAt = -1;       // the entry whose rename failed
    int renamed = 0;          // the first `renamed` entries carry their new names
    bool cancelled = false;   // stopped on request, before entry `renamed`
    bool folderGone = false;  // the files' own folder was no longer there
};

// Renames every entry of plan, in order, one file at a time. The first
// failure ends the run and leaves the later files untouched. A refused plan
// renames nothing and reports its refusal. With a journal path, the batch is
// recorded there ahead of its renames, for the undo (see BatchJournal.h);
// a batch that renamed nothing leaves no journal.
RenameOutcome renameAll(const RenamePlan& plan, FileSystem& fs, TaskProgress* progress = nullptr,
                        const QString& journalPath = QString());
