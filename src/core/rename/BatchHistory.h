#pragma once

#include "core/rename/BatchJournal.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The journals of the last batches, so that batch after batch can be taken
// back, newest first. Each batch has a journal file of its own,
// "Tolvane-<number>.undo", numbered on from the highest number in any of the
// folders, so that the newest batch is the one with the highest number
// wherever it lies (see journalFileName in Settings.h). A journal named
// "Tolvane.undo", as earlier versions kept their one journal, is read as the
// oldest batch.

// At least this many batches can be taken back; older journals are dropped,
// each file whole.
inline constexpr int kKeptBatches = 10;

// A batch's journal as found on disk.
struct StoredBatch {
    QString path;
    BatchRecord record;
};

class BatchHistory {
public:
    // folders: every folder journals may lie in (all are read); writable:
    // those a new journal may be written to, in the order they are tried.
    BatchHistory(QStringList folders, QStringList writable);
    // One folder for everything (tests and tools).
    explicit BatchHistory(const QString& folder) : BatchHistory({folder}, {folder}) {}
    // The program's places: beside the settings file, else the user's state
    // folder (see journalFolders in Settings.h).
    static BatchHistory standard();

    const QStringList& folders() const { return folders_; }

    // Every journal file, newest first.
    QStringList journals() const;
    // The newest journal that can be read; nothing when none can.
    std::optional<StoredBatch> newest() const;

    // Records plan's batch in a new journal, in the first writable folder
    // that takes it, then drops the journals past the kept number. Failed:
    // no place could hold it, and none was left half-written.
    JournalState record(JournalWriter& writer, const RenamePlan& plan) const;

    // Drops the oldest journals past kKeptBatches.
    void dropOldest() const;

private:
    QStringList folders_;
    QStringList writable_;
};
