#pragma once

#include "core/common/TaskProgress.h"
#include "core/rename/BatchJournal.h"

#include <optional>
#include <vector>

// The undo of a batch: every file that carries its new name and is the very
// file the batch renamed goes back to its old name, in its old folder, last
// renamed first, never replacing a file and never copying.

enum class UndoResult {
    Restored,      // back under its old name
    NotRenamed,    // the batch never came to it, or it is back already: nothing to do
    OldNameTaken,  // another file has its old name now
    Missing,       // it was moved or deleted
    Replaced,      // another file carries its new name now
    Failed,        // the rename back was refused (see the error)
    NotReached,    // the undo was stopped before it
};

// What the undo did with one entry of the record.
struct EntryUndo {
    UndoResult result = UndoResult::NotReached;
    int error = 0;  // Failed: the errno of the refused rename; else 0

    // Whether the entry still waits for an undo: it could not go back, or
    // the undo did not reach it.
    bool isLeft() const {
        return result != UndoResult::Restored && result != UndoResult::NotRenamed;
    }
};

struct UndoOutcome {
    std::vector<EntryUndo> entries;  // one per entry of the record, in its order
    int restored = 0;
    bool cancelled = false;
};

// The entries the undo has to bring back, in the order it takes them (last
// renamed first): those the batch may have renamed. Where the journal tells
// how many the batch renamed, the others are left out; so is an entry the
// batch never came to or found already so named.
std::vector<int> entriesToBringBack(const BatchRecord& record);

// Brings back entriesToBringBack(record); progress counts them.
UndoOutcome undoBatch(const BatchRecord& record, FileSystem& fs, TaskProgress* progress = nullptr);

// What the journal keeps after an undo: the entries still left, so that the
// user can free their names and undo again; nothing when all went back.
BatchRecord remainingAfter(const BatchRecord& record, const UndoOutcome& outcome);
