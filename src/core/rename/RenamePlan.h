#pragma once

#include "core/files/Shots.h"
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
    // The files may take names that other files of the batch give up: the
    // renames run in the order that frees each name before it is taken.
    // Off: in list order, stopping at a name any file holds.
    bool allowNameOverlaps = false;
    // Where the new names show the day a shot was taken, each day's rows
    // are numbered from the start number again.
    bool restartSerialsEachDay = false;
    // The rows of the list in serial order, each a shot of one or more files
    // that take one serial number: each file's name as the folder gave it,
    // and the inode number the listing told (0 when unknown), which the undo
    // knows the file by where the file system keeps such numbers.
    std::vector<Shot> shots;
    // Files of one name went into one shot: the preview names the sidecars
    // that stay as they are.
    bool shotsTogether = false;

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
    NoShootingTime,  // a new name is to show a time that no file of its row has
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
// system cannot hold, or one that is to show a time its file lacks, is the
// name of entry `at`.
struct PlanRefusal {
    // BadStartNumber, SerialOverflow, UnfitName or NoShootingTime
    StopReason reason = StopReason::BadStartNumber;
    int at = -1;    // UnfitName: the entry; NoShootingTime: its row's first; else -1
    int error = 0;  // UnfitName: ENAMETOOLONG, or EINVAL for a NUL or "/"; else 0

    bool operator==(const PlanRefusal&) const = default;
};

// One rename of a run. A batch's files are renamed one step each, in list
// order, unless names overlap: a file whose old name another file of the
// batch wants then moves first, and a ring of files that want each other's
// names is broken by a spare name (a ring of n files takes n + 1 steps).
enum class StepKind : quint8 {
    Rename,     // the file from its old name to its new one
    ToSpare,    // the file from its old name to a spare name, opening a ring
    FromSpare,  // the same file from the spare name to its new one, closing it
};

struct RenameStep {
    int entry = 0;  // the file of the plan it moves
    StepKind kind = StepKind::Rename;
    int spare = -1;  // ToSpare, FromSpare: which of the plan's spare names
};

// Every new name of a batch, built once, before any file moves, and the
// order of its renames: the question shows the names, the run renames to
// them step by step. A batch whose numbers or names cannot be given is
// refused as a whole, so that it never stops half-way for a reason known
// beforehand.
//
// Entries are the batch's files in list order: the files of the list's
// first row (its members, then its sidecars), then those of the next one.
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
    // The rows of the list, each of one serial number.
    int rowCount() const { return rowEnds_.empty() ? count() : int(rowEnds_.size()); }
    // Whether entry k is the first file of its row.
    bool startsRow(int k) const;
    // Whether files of one name went into one shot (RenameRequest::shotsTogether).
    bool shotsTogether() const { return shotsTogether_; }
    // Whether entry k's new name shows a shooting time that is no camera's
    // but the file's own (its row has no Exif time), which may be the day
    // the file was copied rather than taken.
    bool showsFileTime(int k) const { return !fileTimes_.empty() && fileTimes_[size_t(k)]; }

    // The renames in the order they run.
    int stepCount() const { return steps_.empty() ? count() : int(steps_.size()); }
    RenameStep step(int i) const { return steps_.empty() ? RenameStep{i} : steps_[size_t(i)]; }
    QByteArrayView stepFrom(int i) const;
    QByteArrayView stepTo(int i) const;
    // The entry that is the done-th to take its new name.
    int entryInTurn(int done) const { return inTurn_.empty() ? done : inTurn_[size_t(done)]; }
    // Whether the steps leave list order: then the files do not take their
    // new names from the first entry on.
    bool reordered() const { return !steps_.empty(); }
    // Whether the files may take names that others of the batch give up.
    bool overlapsAllowed() const { return overlapsAllowed_; }
    QByteArrayView spareName(int spare) const;
    int spareCount() const { return int(spareEnds_.size()); }

    // Both end in "/".
    const QByteArray& sourceFolder() const { return sourceFolder_; }
    const QByteArray& targetFolder() const { return targetFolder_; }

private:
    // Puts the steps in an order that frees each name before it is taken.
    void orderSteps(qsizetype longest);

    // What a rename needs of each file: its name and the listing's inode
    // number, not its times, which a batch of tens of thousands would copy
    // for nothing.
    struct Entry {
        QByteArray name;
        quint64 inode = 0;
    };
    std::vector<Entry> files_;
    // Where each row's entries end; empty while every row is one file.
    std::vector<int> rowEnds_;
    QByteArray newNames_;          // every new name, one after the other
    std::vector<qsizetype> ends_;  // where each new name ends in newNames_
    // Empty while the renames run in list order.
    std::vector<RenameStep> steps_;
    std::vector<int> inTurn_;
    QByteArray spares_;  // the spare names, one after the other
    std::vector<qsizetype> spareEnds_;
    QByteArray sourceFolder_;
    QByteArray targetFolder_;
    std::optional<PlanRefusal> refusal_;
    bool overlapsAllowed_ = false;
    bool shotsTogether_ = false;
    // Of each entry, whether its name shows its file's own time; empty while
    // none does.
    std::vector<bool> fileTimes_;
};
