#pragma once

#include "core/rename/FileSystem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

class RenamePlan;

// The record of one batch (BatchHistory.h keeps those of the last batches),
// so that the batch can be undone after the program was closed, crashed or
// was killed at any moment of it: its format, its reader and its writer. A batch's journal
// is in place, whole, before its first rename; where files are known by size
// and time, each file's identity is appended just before its rename, so a
// file renamed is always a file recorded. Its entries are the batch's
// renames in the order they run, a file's move to a spare name and from it
// included, so that undoing them last first retraces every file's way.

struct JournalEntry {
    QByteArray oldName;
    QByteArray newName;
    // Known before the batch (inode numbers from the listing), or appended as
    // the batch goes; none for a file the batch never came to.
    std::optional<FileIdentity> identity;

    bool operator==(const JournalEntry&) const = default;
};

// What a journal says of its batch as a whole.
struct BatchHeading {
    QByteArray sourceFolder;  // both end in "/"
    QByteArray targetFolder;
    IdentityKind kind = IdentityKind::SizeAndTime;
    qint64 startedNs = 0;  // when the batch began (fileClockNow)

    bool operator==(const BatchHeading&) const = default;
};

struct BatchRecord : BatchHeading {
    std::vector<JournalEntry> entries;
    // How many entries, from the first on, the batch ran, as it said when it
    // ended (an entry is one rename, so a ring's steps count each); nothing
    // for a batch that never came to its end (killed).
    std::optional<int> renamed;

    bool operator==(const BatchRecord&) const = default;
};

// A batch's entries read where they lie: a batch about to run is written
// before its first rename, and copying tens of thousands of names into a
// record first would cost as much again as writing them.
class JournalEntries {
public:
    virtual ~JournalEntries() = default;
    virtual int count() const = 0;
    virtual QByteArrayView oldName(int k) const = 0;
    virtual QByteArrayView newName(int k) const = 0;
    // The file's device and inode number, where the heading's kind is Inode
    // and they are known.
    virtual std::optional<FileIdentity> identity(int k) const = 0;
};

// The journal's bytes: a record, then any number of identity lines, then,
// once the batch is over, how many entries it ran.
QByteArray encodeBatchRecord(const BatchRecord& record);
QByteArray encodeBatch(const BatchHeading& heading, const JournalEntries& entries);
QByteArray encodeIdentity(int index, const FileIdentity& identity);
QByteArray encodeRenamed(int renamed);

// The record in bytes; nothing when they are not a whole, intact journal.
// Identity lines after it are taken up to the first one that is torn or
// does not fit, as a crash in the middle of an append leaves it; the count
// of entries run only where it follows them whole.
std::optional<BatchRecord> decodeBatchRecord(QByteArrayView bytes);

// Where the journal of a running batch stands.
enum class JournalState {
    NotKept,  // none was asked for
    Written,  // the whole batch is recorded at its path
    Failed,   // it could not be written, and no journal is left at its path at all
    Removed,  // the batch renamed nothing, so it leaves none
};

// Why a file could not be recorded before its rename, which then must not run.
struct RecordFailure {
    bool journal = false;  // the journal could not be written; else the file could not be read
    int error = 0;         // the errno of the failure

    bool operator==(const RecordFailure&) const = default;
};

// Writes the journal of one run of a plan: the whole batch in one buffered
// write, in place before the first rename, for every size of batch; then,
// where the files are known by size and time, an append per file just before
// its rename, so that no file is renamed unrecorded; at the end, the count
// of entries run. The renames never wait for anything else. Nothing is
// synced: see README.md on a power cut.
class JournalWriter {
public:
    explicit JournalWriter(FileSystem& fs) : fs_(fs) {}
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    ~JournalWriter();

    // Records plan at path, in place of whatever journal was there. Files are
    // known by the listing's inode numbers where the file system keeps them
    // (checked on the first file: a listing through some layers gives numbers
    // of its own), else by size and time.
    JournalState begin(const QString& path, const RenamePlan& plan);
    // Just before step k of the plan renames the file at oldPath: nothing
    // when it may go ahead, else why it may not (a journal in place that
    // cannot take the file's identity would leave the file renamed beyond the
    // undo's reach).
    std::optional<RecordFailure> beforeRename(int k, const QByteArray& oldPath);
    // After the run, with the number of its steps that ran (0: no rename is in
    // effect), as far as the undo has to look.
    void end(int renamed);
    JournalState state() const { return state_; }

private:
    FileSystem& fs_;
    QString path_;
    int fd_ = -1;
    bool identityPerFile_ = false;
    JournalState state_ = JournalState::NotKept;
};

// The journal at path; nothing when there is none or it cannot be used.
std::optional<BatchRecord> readJournal(const QString& path);

// Replaces the journal at path with record, whole or not at all; an empty
// record removes it.
bool rewriteJournal(const QString& path, const BatchRecord& record);
void removeJournal(const QString& path);
