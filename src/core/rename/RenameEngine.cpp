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
        int operator()(const RenameStopped& stopped) const { return stopped.renamed; }
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

namespace {

// The step that brings the file of the ring opened at step opened to its new name.
int ringClosing(const RenamePlan& plan, int opened) {
    const int spare = plan.step(opened).spare;
    int i = opened + 1;
    while (plan.step(i).kind != StepKind::FromSpare || plan.step(i).spare != spare)
        ++i;
    return i;
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
    qsizetype longestFrom = 0;
    qsizetype longestTo = 0;
    for (int k = 0; k < plan.count(); ++k) {
        longestFrom = std::max(longestFrom, plan.entry(k).size());
        longestTo = std::max(longestTo, plan.newName(k).size());
    }
    for (int j = 0; j < plan.spareCount(); ++j) {
        longestFrom = std::max(longestFrom, plan.spareName(j).size());
        longestTo = std::max(longestTo, plan.spareName(j).size());
    }
    QByteArray oldPath = plan.sourceFolder();
    QByteArray newPath = plan.targetFolder();
    const qsizetype oldBase = oldPath.size();
    const qsizetype newBase = newPath.size();
    oldPath.reserve(oldBase + longestFrom);
    newPath.reserve(newBase + longestTo);
    const auto setPaths = [&](int i) {
        oldPath.truncate(oldBase);
        oldPath.append(plan.stepFrom(i));
        newPath.truncate(newBase);
        newPath.append(plan.stepTo(i));
    };

    int done = 0;         // entries that carry their new names
    int inEffect = 0;     // renames made and not taken back
    int ringOpened = -1;  // the step that took a file to a spare name, while it is there
    int stepsRun = 0;     // steps that may have renamed a file: the undo looks at no later one
    bool stopWhenRingCloses = false;
    // Takes back the renames of the open ring up to step end, last first. One
    // that fails leaves the rest to the undo: the journal holds them all.
    const auto takeRingBack = [&](int end) {
        for (int j = end - 1; j >= ringOpened; --j) {
            setPaths(j);
            if (fs.renameNoReplace(newPath, oldPath) != 0)
                return;
            --inEffect;
            if (plan.step(j).kind == StepKind::Rename)
                --done;
        }
    };

    RenameOutcome outcome = RenameFinished{plan.count()};
    const int steps = plan.stepCount();
    for (int i = 0; i < steps; ++i) {
        // In list order a shot's files all take their new names before a
        // stop on request, as one row of the list takes one number.
        const bool betweenRows = plan.reordered() || plan.startsRow(i);
        if (progress && !stopWhenRingCloses && betweenRows && progress->shouldStop()) {
            if (ringOpened < 0) {
                outcome = RenameCancelled{done};
                break;
            }
            if (ringClosing(plan, ringOpened) - i + 1 > i - ringOpened) {
                takeRingBack(i);
                outcome = RenameCancelled{done};
                break;
            }
            stopWhenRingCloses = true;
        }
        const RenameStep step = plan.step(i);
        setPaths(i);
        // A file that already carries its new name is done; the kernel would
        // call the name taken and stop the batch.
        if (oldPath != newPath) {
            if (const std::optional<RecordFailure> unrecorded = journal.beforeRename(i, oldPath)) {
                const StopReason reason = unrecorded->journal
                                              ? StopReason::RecordFailed
                                              : reasonFor(unrecorded->error, fs, plan);
                if (ringOpened >= 0)
                    takeRingBack(i);
                outcome = RenameStopped{step.entry, reason, unrecorded->error, done};
                break;
            }
            if (const int error = fs.renameNoReplace(oldPath, newPath)) {
                const StopReason reason = reasonFor(error, fs, plan);
                if (ringOpened >= 0)
                    takeRingBack(i);
                outcome = RenameStopped{step.entry, reason, error, done};
                break;
            }
            ++inEffect;
        }
        stepsRun = i + 1;
        if (step.kind == StepKind::ToSpare) {
            ringOpened = i;
            continue;
        }
        if (step.kind == StepKind::FromSpare)
            ringOpened = -1;
        ++done;
        if (progress)
            progress->setDone(done);
        if (stopWhenRingCloses && ringOpened < 0) {
            outcome = RenameCancelled{done};
            break;
        }
    }
    // A ring taken back leaves its steps counted: the undo finds their files
    // under their old names, or, where taking one back failed, brings it
    // back from its spare name. With no rename in effect there is nothing to
    // take back, and no journal is left.
    journal.end(inEffect > 0 ? stepsRun : 0);
    return outcome;
}
