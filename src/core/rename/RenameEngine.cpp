#include "core/rename/RenameEngine.h"

#include "core/rename/BatchJournal.h"
#include "core/rename/NameRules.h"
#include "core/rename/SerialNumbers.h"
#include "core/text/NativeName.h"
#include "core/text/Paths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <limits>
#include <system_error>
#include <thread>

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

namespace {

// The first count entries of the plan as the journal reads them, each with
// the listing's inode number on the batch's device.
class PlanEntries : public JournalEntries {
public:
    PlanEntries(const RenamePlan& plan, quint64 device, int count)
        : plan_(plan), device_(device), count_(count) {}
    int count() const override { return count_; }
    QByteArrayView oldName(int k) const override { return plan_.entry(k); }
    QByteArrayView newName(int k) const override { return plan_.newName(k); }
    std::optional<FileIdentity> identity(int k) const override {
        return FileIdentity{device_, plan_.inodes()[size_t(k)], -1, 0, 0};
    }

private:
    const RenamePlan& plan_;
    quint64 device_;
    int count_;
};

// The batch's journal. Whenever the program may be killed, the journal in
// place is whole and covers every file renamed so far. A large batch's
// journal need not hold up its renames, though: a thread of its own puts a
// journal of the first kFirstCovered entries in place, then journals of ever
// more of the batch, each in the place of the last, while the renames go on;
// a rename past what the journal in place covers waits for the next one (in
// practice only the first rename waits: writing is far faster than renaming).
// A small batch's journal is written whole before its first rename.
class Journal {
public:
    // Below this many files the whole journal is written at once: it costs
    // less than starting a thread and waking from the wait for it.
    static constexpr int kAheadFrom = 4096;
    static constexpr int kFirstCovered = 128;
    static constexpr int kGrowth = 8;  // each journal covers this many times the last

    Journal() = default;
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;
    ~Journal() { finish(); }

    // With the listing's inode numbers where the file system keeps them
    // (checked on the first file, as a listing through some layers gives
    // numbers of its own); else whole at once, each file's size and time
    // appended just before its rename.
    void begin(const QString& path, const RenamePlan& plan, FileSystem& fs) {
        BatchHeading heading{plan.sourceFolder(), plan.targetFolder(),
                             fs.identityKind(plan.sourceFolder()), fileClockNow()};
        quint64 device = 0;
        if (heading.kind == IdentityKind::Inode) {
            const std::optional<FileIdentity> first =
                plan.inodes().empty()
                    ? std::nullopt
                    : fs.identify(plan.sourceFolder() + plan.entry(0).toByteArray());
            if (first && first->inode == plan.inodes().front())
                device = first->device;
            else
                heading.kind = IdentityKind::SizeAndTime;
        }
        identityPerFile_ = heading.kind == IdentityKind::SizeAndTime;
        const int count = plan.count();
        if (identityPerFile_ || count < kAheadFrom) {
            written_ = writer_.begin(path, heading, PlanEntries(plan, device, count));
            return;
        }
        // The thread writes even the first journal, and the first rename waits
        // for it: the wait puts the renames on a core the thread does not hold.
        covered_.store(0, std::memory_order_release);
        try {
            ahead_ = std::thread([this, path, heading, &plan, device, count] {
                for (int covered = 0; covered < count;) {
                    covered = covered == 0
                                  ? kFirstCovered
                                  : int(std::min(qint64(covered) * kGrowth, qint64(count)));
                    // A journal that cannot be written takes the one in place
                    // with it: the renames go on without one, as when a small
                    // batch's cannot be written.
                    JournalWriter next;
                    const bool ok = next.begin(path, heading, PlanEntries(plan, device, covered));
                    written_ = written_ || ok;
                    covered_.store(ok ? covered : kNoJournal, std::memory_order_release);
                    covered_.notify_all();
                    if (!ok)
                        return;
                }
            });
        } catch (const std::system_error&) {
            // No thread to be had: the whole journal now, as for a small batch.
            written_ = writer_.begin(path, heading, PlanEntries(plan, device, count));
            covered_.store(kNoJournal, std::memory_order_release);
        }
    }

    // Whether a journal was put in place; asked only after finish().
    bool written() const { return written_; }
    bool recordsIdentities() const { return identityPerFile_ && writer_.isOpen(); }
    void recordIdentity(int k, const FileIdentity& identity) {
        writer_.recordIdentity(k, identity);
    }

    // Returns once the journal in place covers entry k, or none will.
    void waitToCover(int k) {
        int covered = covered_.load(std::memory_order_acquire);
        while (covered != kNoJournal && covered <= k) {
            covered_.wait(covered, std::memory_order_acquire);
            covered = covered_.load(std::memory_order_acquire);
        }
    }

    // Lets the thread finish its journals, which then cover the whole batch.
    void finish() {
        if (ahead_.joinable())
            ahead_.join();
    }

private:
    static constexpr int kNoJournal = -1;

    JournalWriter writer_;
    bool written_ = false;
    bool identityPerFile_ = false;
    std::atomic<int> covered_{std::numeric_limits<int>::max()};
    std::thread ahead_;
};

}  // namespace

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

    Journal journal;
    if (!journalPath.isEmpty())
        journal.begin(journalPath, plan, fs);

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
            journal.waitToCover(k);
            if (journal.recordsIdentities()) {
                if (const std::optional<FileIdentity> identity = fs.identify(oldPath))
                    journal.recordIdentity(k, *identity);
            }
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
    journal.finish();
    if (journal.written() && outcome.renamed == 0)
        removeJournal(journalPath);
    return outcome;
}
