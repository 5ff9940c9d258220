#include "core/rename/RenamePlan.h"

#include "core/files/FileListing.h"
#include "core/rename/BatchNaming.h"
#include "core/rename/NameKeys.h"
#include "core/rename/NameRules.h"
#include "core/rename/SerialNumbers.h"
#include "core/text/NativeName.h"
#include "core/text/Paths.h"

#include <algorithm>
#include <cerrno>
#include <unordered_map>
#include <unordered_set>

int stopNumber(StopReason reason) {
    switch (reason) {
        case StopReason::SerialOverflow:
            return 6;
        case StopReason::BadStartNumber:
            return 13;
        case StopReason::FolderMissing:
            return 53;
        case StopReason::NameTaken:
            return 58;
        case StopReason::UnfitName:
        case StopReason::NoShootingTime:
        case StopReason::FolderGone:
        case StopReason::AccessError:
        case StopReason::RecordFailed:
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

}  // namespace

RenamePlan RenamePlan::make(const RenameRequest& request, FileSystem& fs) {
    RenamePlan plan;
    plan.sourceFolder_ = withTrailingSlash(toNative(request.folder));
    plan.targetFolder_ = withTrailingSlash(toNative(request.targetFolder()));
    plan.shotsTogether_ = request.shotsTogether;
    // A shot without members is no row.
    int rows = 0;
    size_t entries = 0;
    for (const Shot& shot : request.shots) {
        rows += shot.members.empty() ? 0 : 1;
        entries += shot.members.empty() ? 0 : size_t(shot.fileCount());
    }
    const bool oneFileARow = entries == size_t(rows);
    plan.files_.reserve(entries);
    if (!oneFileARow)
        plan.rowEnds_.reserve(size_t(rows));
    // The time each row's name shows, where names show one: its shot's (see
    // shotTime), corrected.
    const bool showsTimes = namesShowShootingTimes(request);
    std::vector<qint64> rowTimes;
    int untimed = -1;  // the first entry of the first row without any time
    if (showsTimes)
        rowTimes.reserve(size_t(rows));
    for (const Shot& shot : request.shots) {
        if (showsTimes && !shot.members.empty()) {
            const ShootingTime& time = shotTime(shot);
            const int first = int(plan.files_.size());
            if (!time.isKnown() && untimed < 0)
                untimed = first;
            // That may be the day the file was copied rather than taken.
            if (time.source == TimeSource::FileModified) {
                plan.fileTimes_.resize(entries);
                std::fill_n(plan.fileTimes_.begin() + first, shot.fileCount(), true);
            }
            rowTimes.push_back(time.correctedMsecs());
        }
        for (const ListedFile& file : shot.members)
            plan.files_.push_back({file.name, file.inode});
        for (const ListedFile& file : shot.sidecars)
            plan.files_.push_back({file.name, file.inode});
        if (!oneFileARow && !shot.members.empty())
            plan.rowEnds_.push_back(int(plan.files_.size()));
    }

    const int count = plan.count();
    const std::optional<int> start = plainStartNumber(request.startNumber);
    if (!start) {
        plan.refusal_ = PlanRefusal{StopReason::BadStartNumber};
        return plan;
    }
    // Without its time a name would show a day that means nothing.
    if (untimed >= 0) {
        plan.refusal_ = PlanRefusal{StopReason::NoShootingTime, untimed};
        return plan;
    }
    BatchNaming naming(request, *start);
    const auto rowTime = [&rowTimes](int row) {
        return rowTimes.empty() ? 0 : rowTimes[size_t(row)];
    };
    std::vector<int> serials(static_cast<size_t>(rows));
    int largest = *start;
    for (int row = 0; row < rows; ++row) {
        serials[size_t(row)] = naming.nextSerial(rowTime(row));
        largest = std::max(largest, serials[size_t(row)]);
    }
    if (largest > kMaxSerial) {
        plan.refusal_ = PlanRefusal{StopReason::SerialOverflow};
        return plan;
    }
    // One width for every serial, those of the largest day's too.
    const int width = serialWidth(request.startNumber, *start, largest - *start + 1);

    const qsizetype added = naming.addedSize(width);
    qsizetype total = 0;
    for (const Entry& file : plan.files_)
        total += file.name.size() + added;
    plan.newNames_.reserve(total);
    plan.ends_.reserve(size_t(count));

    // A name the file system cannot hold would otherwise stop the batch
    // half-way, with part of the folder renamed.
    const qsizetype longest = fs.longestName(plan.targetFolder_);
    // Every file of a row takes the row's new stem and keeps what follows
    // the stem the row's files share (a lone file: its extension).
    QByteArray newStem;
    int k = 0;
    for (int row = 0; row < rows; ++row) {
        const int end = plan.rowEnds_.empty() ? k + 1 : plan.rowEnds_[size_t(row)];
        const QByteArrayView first = plan.entry(k);
        const qsizetype stem = stemLength(first);
        const qsizetype stemBegin = plan.newNames_.size();
        naming.appendStem(plan.newNames_, first.first(stem), rowTime(row), serials[size_t(row)],
                          width);
        if (end - k > 1)
            newStem = QByteArrayView(plan.newNames_).sliced(stemBegin).toByteArray();
        for (; k < end; ++k) {
            const qsizetype begin = k == 0 ? 0 : plan.ends_.back();
            if (begin != stemBegin)
                plan.newNames_.append(newStem);
            // A shot's files share its stem; one made otherwise keeps its
            // whole name after the new stem rather than a part of it.
            const QByteArrayView name = plan.entry(k);
            plan.newNames_.append(name.sliced(name.size() >= stem ? stem : 0));
            plan.ends_.push_back(plan.newNames_.size());
            const int error = nameProblem(QByteArrayView(plan.newNames_).sliced(begin), longest);
            if (error != 0 && !plan.refusal_)
                plan.refusal_ = PlanRefusal{StopReason::UnfitName, k, error};
        }
    }
    // Into another folder every name the files could want belongs to a file
    // outside the batch.
    plan.overlapsAllowed_ = request.allowNameOverlaps && plan.sourceFolder_ == plan.targetFolder_;
    if (plan.overlapsAllowed_ && !plan.refusal_)
        plan.orderSteps(longest);
    return plan;
}

bool RenamePlan::startsRow(int k) const {
    return rowEnds_.empty() || k == 0 || std::binary_search(rowEnds_.begin(), rowEnds_.end(), k);
}

namespace {

bool hasLatinLetter(QByteArrayView name) {
    return std::any_of(name.begin(), name.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
}

}  // namespace

void RenamePlan::orderSteps(qsizetype longest) {
    const int n = count();
    // A folder ignores letter case when a name spelt another way leads to a
    // file too; any of the batch's names will do to ask.
    std::vector<QByteArray> probe;
    const auto lettered = std::find_if(files_.begin(), files_.end(),
                                       [](const Entry& file) { return hasLatinLetter(file.name); });
    if (lettered != files_.end())
        probe.push_back(lettered->name);
    NameKeys keys(ignoresLetterCase(targetFolder_, probe));

    std::vector<std::string_view> oldKeys(static_cast<size_t>(n));
    std::vector<std::string_view> newKeys(static_cast<size_t>(n));
    std::unordered_map<std::string_view, int> holders;
    holders.reserve(size_t(n));
    for (int k = 0; k < n; ++k) {
        oldKeys[size_t(k)] = keys.key(entry(k));
        newKeys[size_t(k)] = keys.key(newName(k));
        holders.emplace(oldKeys[size_t(k)], k);
    }
    // The file of the batch that holds the name each file wants, if any; a
    // name the file already has (in other letter case, on a card) is its own.
    std::vector<int> holder(size_t(n), -1);
    bool heldByLater = false;
    for (int k = 0; k < n; ++k) {
        if (newKeys[size_t(k)] == oldKeys[size_t(k)])
            continue;
        const auto found = holders.find(newKeys[size_t(k)]);
        if (found == holders.end())
            continue;
        holder[size_t(k)] = found->second;
        heldByLater = heldByLater || found->second > k;
    }
    // Names held only by earlier files are free by their turn in list order.
    if (!heldByLater)
        return;

    // From each file in list order, along the files holding the names
    // wanted, to a file whose name is free (or held outside the batch, which
    // stops the run there as in list order): that one moves first, then the
    // others back along the path. A path that comes back on itself is a ring:
    // the file it came back to steps aside to a spare name first.
    enum : char { Waiting, OnPath, Placed };
    std::vector<char> state(size_t(n), Waiting);
    std::vector<int> path;
    std::vector<int> ringOpeners;
    steps_.reserve(size_t(n) + size_t(n) / 2);
    inTurn_.reserve(size_t(n));
    const auto place = [&](int k, StepKind kind, int spare) {
        steps_.push_back({k, kind, spare});
        if (kind != StepKind::ToSpare) {
            inTurn_.push_back(k);
            state[size_t(k)] = Placed;
        }
    };
    for (int first = 0; first < n; ++first) {
        if (state[size_t(first)] != Waiting)
            continue;
        path.push_back(first);
        state[size_t(first)] = OnPath;
        while (!path.empty()) {
            const int top = path.back();
            const int next = holder[size_t(top)];
            if (next >= 0 && state[size_t(next)] == Waiting) {
                path.push_back(next);
                state[size_t(next)] = OnPath;
            } else if (next >= 0 && state[size_t(next)] == OnPath) {
                const int spare = int(ringOpeners.size());
                ringOpeners.push_back(next);
                place(next, StepKind::ToSpare, spare);
                for (; path.back() != next; path.pop_back())
                    place(path.back(), StepKind::Rename, -1);
                place(next, StepKind::FromSpare, spare);
                path.pop_back();
            } else {
                place(top, StepKind::Rename, -1);
                path.pop_back();
            }
        }
    }
    if (ringOpeners.empty())
        return;

    // Spare names free in the folder now and unlike every name of the batch.
    const std::vector<QByteArray> present = listAllNames(targetFolder_);
    std::unordered_set<std::string_view> taken;
    taken.reserve(present.size() + 2 * size_t(n) + ringOpeners.size());
    for (const QByteArray& name : present)
        taken.insert(keys.key(name));
    taken.insert(oldKeys.begin(), oldKeys.end());
    taken.insert(newKeys.begin(), newKeys.end());
    std::vector<QByteArray> chosen;
    chosen.reserve(ringOpeners.size());
    spareEnds_.reserve(ringOpeners.size());
    for (const int k : ringOpeners) {
        QByteArray spare;
        for (int attempt = 0;; ++attempt) {
            spare = ::spareName(entry(k), attempt, longest);
            if (taken.count(keys.key(spare)) == 0)
                break;
        }
        chosen.push_back(std::move(spare));
        taken.insert(keys.key(chosen.back()));
        spares_ += chosen.back();
        spareEnds_.push_back(spares_.size());
    }
}

QByteArrayView RenamePlan::newName(int k) const {
    const qsizetype begin = k == 0 ? 0 : ends_[size_t(k - 1)];
    return QByteArrayView(newNames_).sliced(begin, ends_[size_t(k)] - begin);
}

QByteArrayView RenamePlan::spareName(int spare) const {
    const qsizetype begin = spare == 0 ? 0 : spareEnds_[size_t(spare - 1)];
    return QByteArrayView(spares_).sliced(begin, spareEnds_[size_t(spare)] - begin);
}

QByteArrayView RenamePlan::stepFrom(int i) const {
    const RenameStep s = step(i);
    return s.kind == StepKind::FromSpare ? spareName(s.spare) : entry(s.entry);
}

QByteArrayView RenamePlan::stepTo(int i) const {
    const RenameStep s = step(i);
    return s.kind == StepKind::ToSpare ? spareName(s.spare) : newName(s.entry);
}
