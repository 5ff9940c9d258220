#include "core/rename/RenameEngine.h"

#include "core/rename/BatchJournal.h"
#include "core/rename/NameRules.h"
#include "core/rename/SerialNumbers.h"
#include "core/text/NativeName.h"
#include "core/text/Paths.h"

#include <algorithm>
#include <cerrno>

// A batch may hold tens of thousands of files, and the loop should cost little
// more than the renames themselves: the names go into one buffer, and the
// paths are built in buffers that live through the whole run.

int stopNumber(StopReason reason) {
    switch (reason) {
        case StopReason::None:
            return 0;
        case StopReason::SerialOverflow:
            return 6;
        case StopReason::BadStartNumber:
            return 13;
        case StopReason::FolderMissing:
            return 53;
        case StopReason::NameTaken:
            return 58;
        case StopReason::AccessError:
            return 75;
    }
    return 75;
}

namespace {

// Why the file system could not give a file this name exactly as it was
// built, or 0. A NUL would cut the name short where the system reads it, a
// separator would send the file into another folder.
int nameProblem(QByteArrayView name, qsizetype longest) {
    if (name.contains('\0') || name.contains('/'))
        return EINVAL;
    return name.size() > longest ? ENAMETOOLONG : 0;
}

// Only asked after a failure, so a run that goes through pays nothing for it.
// A missing destination is the user's to choose again; a folder of files that
// went away (moved by another program, its card taken out) is no fault of the
// destination, even where the two are one folder.
void setStopFor(RenameOutcome& outcome, FileSystem& fs, const RenamePlan& plan) {
    switch (outcome.error) {
        case EEXIST:
        case ENOTEMPTY:
            outcome.stop = StopReason::NameTaken;
            return;
        case ENOENT:
        case ENOTDIR:
            if (!fs.folderExists(plan.sourceFolder())) {
                outcome.stop = StopReason::AccessError;
                outcome.folderGone = true;
                return;
            }
            outcome.stop = fs.folderExists(plan.targetFolder()) ? StopReason::AccessError
                                                                : StopReason::FolderMissing;
            return;
        default:
            outcome.stop = StopReason::AccessError;
            return;
    }
}

}  // namespace

RenamePlan RenamePlan::make(const RenameRequest& request, FileSystem& fs) {
    RenamePlan plan;
    plan.entries_ = request.entries;
    if (request.inodes.size() == request.entries.size())
        plan.inodes_ = request.inodes;
    plan.sourceFolder_ = withTrailingSlash(toNative(request.folder));
    plan.targetFolder_ = withTrailingSlash(toNative(request.targetFolder()));

    const int count = plan.count();
    const std::optional<int> start = plainStartNumber(request.startNumber);
    if (!start) {
        plan.refusal_ = StopReason::BadStartNumber;
        return plan;
    }
    if (*start > kMaxSerial || qint64(*start) + count - 1 > kMaxSerial) {
        plan.refusal_ = StopReason::SerialOverflow;
        return plan;
    }
    const int width = serialWidth(request.startNumber, *start, count);
    const QByteArray prefix = toNative(request.prefix);
    const QByteArray suffix = toNative(request.suffix);

    qsizetype total = 0;
    for (const QByteArray& entry : plan.entries_)
        total += entry.size() + prefix.size() + suffix.size() + width;
    plan.newNames_.reserve(total);
    plan.ends_.reserve(size_t(count));

    // A name the file system cannot hold would otherwise stop the batch
    // half-way, with part of the folder renamed.
    const qsizetype longest = fs.longestName(plan.targetFolder_);
    for (int k = 0; k < count; ++k) {
        const qsizetype begin = plan.newNames_.size();
        if (request.ownName)
            appendOwnNameWithSerial(plan.newNames_, plan.entries_[size_t(k)], *start + k, width);
        else
            appendSerialName(plan.newNames_, plan.entries_[size_t(k)], prefix, *start + k, width,
                             suffix);
        plan.ends_.push_back(plan.newNames_.size());
        const int error = nameProblem(QByteArrayView(plan.newNames_).sliced(begin), longest);
        if (error != 0 && plan.refusal_ == StopReason::None) {
            plan.refusal_ = StopReason::AccessError;
            plan.refusedIndex_ = k;
            plan.refusalError_ = error;
        }
    }
    return plan;
}

QByteArrayView RenamePlan::newName(int k) const {
    const qsizetype begin = k == 0 ? 0 : ends_[size_t(k - 1)];
    return QByteArrayView(newNames_).sliced(begin, ends_[size_t(k)] - begin);
}

RenameOutcome renameAll(const RenamePlan& plan, FileSystem& fs, TaskProgress* progress,
                        const QString& journalPath) {
    RenameOutcome outcome;
    if (plan.refusal() != StopReason::None) {
        outcome.stop = plan.refusal();
        outcome.error = plan.refusalError();
        outcome.stoppedAt = plan.refusedIndex();
        return outcome;
    }
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

    JournalWriter journal(fs);
    if (!journalPath.isEmpty())
        journal.begin(journalPath, plan);

    for (int k = 0; k < plan.count(); ++k) {
        if (progress && progress->shouldStop()) {
            outcome.cancelled = true;
            break;
        }
        oldPath.truncate(oldBase);
        oldPath.append(plan.entry(k));
        newPath.truncate(newBase);
        newPath.append(plan.newName(k));
        // A file that already carries its new name is done; the kernel would
        // call the name taken and stop the batch.
        if (oldPath != newPath) {
            journal.beforeRename(k, oldPath);
            if (const int error = fs.renameNoReplace(oldPath, newPath)) {
                outcome.error = error;
                outcome.stoppedAt = k;
                setStopFor(outcome, fs, plan);
                break;
            }
        }
        ++outcome.renamed;
        if (progress)
            progress->setDone(outcome.renamed);
    }
    journal.end(outcome.renamed);
    return outcome;
}
