#pragma once

#include "core/rename/FileSystem.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

// The record of the last batch, kept beside the settings file, so that the
// batch can be undone after the program was closed, crashed or was killed at
// any moment of it. Whatever journal is in place is whole and names every
// file renamed so far (a large batch's grows as the batch goes: see Journal
// in RenameEngine.cpp); where files are known by size and time, each file's
// identity is appended just before its rename, so a file renamed is always a
// file recorded.

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

// The journal's bytes: a record, then any number of identity lines.
QByteArray encodeBatchRecord(const BatchRecord& record);
QByteArray encodeBatch(const BatchHeading& heading, const JournalEntries& entries);
QByteArray encodeIdentity(int index, const FileIdentity& identity);

// The record in bytes; nothing when they are not a whole, intact journal.
// Identity lines after it are taken up to the first one that is torn or
// does not fit, as a crash in the middle of an append leaves it.
std::optional<BatchRecord> decodeBatchRecord(QByteArrayView bytes);

// Writes the journal of a running batch: one write of the whole record, then
// an append per identity. Nothing is synced: see README.md on a power cut.
class JournalWriter {
public:
    JournalWriter() = default;
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    ~JournalWriter();

    // Puts record in place of whatever journal path held; false when it could
    // not be written (then no journal is left there at all).
    bool begin(const QString& path, const BatchHeading& heading, const JournalEntries& entries);
    bool recordIdentity(int index, const FileIdentity& identity);
    bool isOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// The journal at path; nothing when there is none or it cannot be used.
std::optional<BatchRecord> readJournal(const QString& path);

// Replaces the journal at path with record, whole or not at all; an empty
// record removes it.
bool rewriteJournal(const QString& path, const BatchRecord& record);
void removeJournal(const QString& path);
