#pragma once

#include "core/common/TaskProgress.h"
#include "core/rename/FileSystem.h"
#include "core/rename/RenamePlan.h"

#include <QString>

#include <variant>

class JournalWriter;

// How a batch ended: one shape per case, so that no field can be read that
// the case does not have.

// Every entry carries its new name.
struct RenameFinished {
    int renamed = 0;
    bool operator==(const RenameFinished&) const = default;
};

// Stopped on request (中止): `renamed` entries carry their new names, the
// others their old ones; in list order, the first `renamed` entries, every
// file of a row or none. A file never stays under a spare name: a ring of
// names half done is finished or taken back, whichever takes fewer renames,
// before the run stops.
struct RenameCancelled {
    int renamed = 0;
    bool operator==(const RenameCancelled&) const = default;
};

// Entry `at` could not be renamed, for reason, with the system's error (its
// errno); `renamed` entries carry their new names, the others their old ones
// (in list order, the entries before `at`). A ring of names half done when a
// rename failed is taken back.
struct RenameStopped {
    int at = 0;
    StopReason reason = StopReason::AccessError;
    int error = 0;
    int renamed = 0;
    bool operator==(const RenameStopped&) const = default;
};

// A plan that refuses its batch (PlanRefusal) renames no file at all.
using RenameOutcome = std::variant<RenameFinished, RenameCancelled, RenameStopped, PlanRefusal>;

// How many entries carry their new names.
int renamedCount(const RenameOutcome& outcome);
// The number a tool reports: 0 for a batch that finished or was stopped on
// request, else its reason's.
int stopNumber(const RenameOutcome& outcome);

// Runs the steps of plan in their order, one rename each. The first failure
// ends the run and leaves the files of the later steps untouched. A refused
// plan renames nothing and gives its refusal. journal: the batch's journal,
// begun (or not kept); a file it cannot record is not renamed (see
// BatchJournal.h).
RenameOutcome renameAll(const RenamePlan& plan, FileSystem& fs, TaskProgress* progress,
                        JournalWriter& journal);
// The same, with the batch recorded at journalPath, where one is given.
RenameOutcome renameAll(const RenamePlan& plan, FileSystem& fs, TaskProgress* progress = nullptr,
                        const QString& journalPath = QString());
