#include "core/rename/RenamePlan.h"

#include "core/rename/NameRules.h"
#include "core/rename/SerialNumbers.h"
#include "core/text/NativeName.h"
#include "core/text/Paths.h"

#include <cerrno>

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
    plan.files_ = request.files;
    plan.sourceFolder_ = withTrailingSlash(toNative(request.folder));
    plan.targetFolder_ = withTrailingSlash(toNative(request.targetFolder()));

    const int count = plan.count();
    const std::optional<int> start = plainStartNumber(request.startNumber);
    if (!start) {
        plan.refusal_ = PlanRefusal{StopReason::BadStartNumber};
        return plan;
    }
    if (*start > kMaxSerial || qint64(*start) + count - 1 > kMaxSerial) {
        plan.refusal_ = PlanRefusal{StopReason::SerialOverflow};
        return plan;
    }
    const int width = serialWidth(request.startNumber, *start, count);
    const QByteArray prefix = toNative(request.prefix);
    const QByteArray suffix = toNative(request.suffix);

    qsizetype total = 0;
    for (const ListedFile& file : plan.files_)
        total += file.name.size() + prefix.size() + suffix.size() + width;
    plan.newNames_.reserve(total);
    plan.ends_.reserve(size_t(count));

    // A name the file system cannot hold would otherwise stop the batch
    // half-way, with part of the folder renamed.
    const qsizetype longest = fs.longestName(plan.targetFolder_);
    for (int k = 0; k < count; ++k) {
        const qsizetype begin = plan.newNames_.size();
        if (request.ownName)
            appendOwnNameWithSerial(plan.newNames_, plan.entry(k), *start + k, width);
        else
            appendSerialName(plan.newNames_, plan.entry(k), prefix, *start + k, width, suffix);
        plan.ends_.push_back(plan.newNames_.size());
        const int error = nameProblem(QByteArrayView(plan.newNames_).sliced(begin), longest);
        if (error != 0 && !plan.refusal_)
            plan.refusal_ = PlanRefusal{StopReason::UnfitName, k, error};
    }
    return plan;
}

QByteArrayView RenamePlan::newName(int k) const {
    const qsizetype begin = k == 0 ? 0 : ends_[size_t(k - 1)];
    return QByteArrayView(newNames_).sliced(begin, ends_[size_t(k)] - begin);
}
