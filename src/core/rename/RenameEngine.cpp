#include "core/rename/RenameEngine.h"

#include "core/rename/BatchJournal.h"

#include <algorithm>
#include <cerrno>

// A batch may hold tens of thousands of files, and the loop should cost little
// more than the renames themselves: the new names lie in one buffer, and the
// paths are built in buffers that live through the whole run.

int renamedCount(const RenameOutcome& outcome) {
    struct Count {
        int operator()(const RenameFinished& finished) const { return finished.renamed; }
        int operator()(const RenameCancelled& cancelled) const { return cancelled.renamed; }
        int operator()(const RenameStopped& stopped) const { return stopped.at; }
        int operator()(const PlanRefusal&) const { return 0; }
    };
    return std::visit(Count(), outcome);
}

int stopNumber(const RenameOutcome& outcome) {
    if (const auto* stopped = std::get_if<RenameStopped>(&outcome))
        return stopNumber(stopped->reason);
    if (const auto* refusal = std::get_if<PlanRefusal>(&outcome))
        return stopNumber(refusal->reason);
    return 0;
}

namespace {

// Only asked after a failure, so a run that goes through pays nothing for it.
// A missing destination is the user's to choose again; a folder of files that
// went away (moved by another program, its card taken out) is no fault of the
// destination, even where the two are one folder.
StopReason reasonFor(int error, FileSystem& fs, const RenamePlan& plan) {
    switch (error) {
        case EEXIST:
        case ENOTEMPTY:
            return StopReason::NameTaken;
        case ENOENT:
        case ENOTDIR:
            if (!fs.folderExists(plan.sourceFolder()))
                return StopReason::FolderGone;
            return fs.folderExists(plan.targetFolder()) ? StopReason::AccessError
                                                        : StopReason::FolderMissing;
        default:
            return StopReason::AccessError;
    }
}

}  // namespace

RenameOutcome renameAll(const RenamePlan& plan, FileSystem& fs, TaskProgress* progress,
                        const QString& journalPath) {
    JournalWriter journal(fs);
    if (!journalPath.isEmpty() && !plan.refusal())
        journal.begin(journalPath, plan);
    return renameAll(plan, fs, progress, journal);
}

RenameOutcome renameAll(const RenamePlan& plan, FileSystem& fs, TaskProgress* progress,
                        JournalWriter& journal) {
    if (plan.refusal())
        return *plan.refusal();
    qsizetype longestEntry = 0;
    qsizetype longestNewName = 0;
    for (int k = 0; k < plan.count(); ++k) {
        longestEntry = std::max(longestEntry, plan.entry(k).size());
        longestNewName = std::max(longestNewName, plan.newName(k).size());
    }
    QByteArray oldPath = plan.sourceFolder();
    QByteArray newPath = plan.targetFolder();
    const qsizetype oldBase = oldPath.size();
    const qsizetype newBase = newPath.size();
    oldPath.reserve(oldBase + longestEntry);
    newPath.reserve(newBase + longestNewName);

    RenameOutcome outcome = RenameFinished{plan.count()};
    for (int k = 0; k < plan.count(); ++k) {
        if (progress && progress->shouldStop()) {
            outcome = RenameCancelled{k};
            break;
        }
        oldPath.truncate(oldBase);
        oldPath.append(plan.entry(k));
        newPath.truncate(newBase);
        newPath.append(plan.newName(k));
        // A file that already carries its new name is done; the kernel would
        // call the name taken and stop the batch.
        if (oldPath != newPath) {
            if (const std::optional<RecordFailure> unrecorded = journal.beforeRename(k, oldPath)) {
                const StopReason reason = unrecorded->journal
                                              ? StopReason::RecordFailed
                                              : reasonFor(unrecorded->error, fs, plan);
                outcome = RenameStopped{k, reason, unrecorded->error};
                break;
            }
            if (const int error = fs.renameNoReplace(oldPath, newPath)) {
                outcome = RenameStopped{k, reasonFor(error, fs, plan), error};
                break;
            }
        }
        if (progress)
            progress->setDone(k + 1);
    }
    journal.end(renamedCount(outcome));
    return outcome;
}
