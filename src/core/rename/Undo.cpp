#include "core/rename/Undo.h"

#include "core/files/FileListing.h"
#include "core/text/NativeName.h"

#include <QHashFunctions>  // std::hash of a QByteArray

#include <algorithm>
#include <cerrno>
#include <set>
#include <unordered_map>

namespace {

bool holds(FileSystem& fs, const QByteArray& path, const FileIdentity& id,
           const BatchRecord& record) {
    const std::optional<FileIdentity> found = fs.identify(path);
    return found && isSameFile(id, *found, record.kind, record.startedNs);
}

bool differInCaseOnly(const QByteArray& a, const QByteArray& b) {
    return a != b && fromNative(a).toCaseFolded() == fromNative(b).toCaseFolded();
}

// The names of a folder, spelled exactly as it holds them, read when first
// asked for: where letter case does not count, a file found under its new
// name may still carry its old spelling, and only the listing tells.
class ExactNames {
public:
    explicit ExactNames(const QByteArray& folder) : folder_(folder) {}
    bool has(const QByteArray& name) {
        if (!names_) {
            const std::vector<QByteArray> listed = listAllNames(folder_);
            names_.emplace(listed.begin(), listed.end());
        }
        return names_->count(name) != 0;
    }

private:
    QByteArray folder_;
    std::optional<std::set<QByteArray>> names_;
};

// laterStep: an earlier entry took this entry's file to where this one
// takes it from (a spare name), so the file is wherever that entry left it
// when this one never ran.
EntryUndo undoOne(const BatchRecord& record, const JournalEntry& entry, bool laterStep,
                  FileSystem& fs, ExactNames& sourceNames) {
    const QByteArray oldPath = record.sourceFolder + entry.oldName;
    const QByteArray newPath = record.targetFolder + entry.newName;
    // A case-only rename the batch never made (it stopped there, or was
    // killed before it): on a card, the file answers to both spellings.
    if (record.sourceFolder == record.targetFolder &&
        differInCaseOnly(entry.oldName, entry.newName) && sourceNames.has(entry.oldName) &&
        !sourceNames.has(entry.newName))
        return {UndoResult::NotRenamed};
    if (holds(fs, newPath, *entry.identity, record)) {
        const int error = fs.renameNoReplace(newPath, oldPath);
        if (error == 0)
            return {UndoResult::Restored};
        if (error == EEXIST)
            return {UndoResult::OldNameTaken};
        return {UndoResult::Failed, error};
    }
    if (laterStep || holds(fs, oldPath, *entry.identity, record))
        return {UndoResult::NotRenamed};
    return {fs.identify(newPath) ? UndoResult::Replaced : UndoResult::Missing};
}

// Which entries are a file's second step: from the name an earlier entry
// gave the same file.
std::vector<bool> laterSteps(const BatchRecord& record) {
    std::vector<bool> later(record.entries.size(), false);
    std::unordered_map<QByteArray, size_t> givenAt;  // new path -> the entry that gave it
    for (size_t k = 0; k < record.entries.size(); ++k) {
        const JournalEntry& entry = record.entries[k];
        const auto given = givenAt.find(record.sourceFolder + entry.oldName);
        later[k] = given != givenAt.end() && record.entries[given->second].identity &&
                   entry.identity == record.entries[given->second].identity;
        givenAt[record.targetFolder + entry.newName] = k;
    }
    return later;
}

}  // namespace

std::vector<int> entriesToBringBack(const BatchRecord& record) {
    const int count = int(record.entries.size());
    const int renamed = record.renamed ? std::min(*record.renamed, count) : count;
    std::vector<int> order;
    order.reserve(size_t(renamed));
    for (int k = renamed - 1; k >= 0; --k) {
        const JournalEntry& entry = record.entries[size_t(k)];
        if (entry.identity &&
            (record.sourceFolder + entry.oldName != record.targetFolder + entry.newName))
            order.push_back(k);
    }
    return order;
}

UndoOutcome undoBatch(const BatchRecord& record, FileSystem& fs, TaskProgress* progress) {
    UndoOutcome outcome;
    outcome.entries.resize(record.entries.size(), EntryUndo{UndoResult::NotRenamed});
    const std::vector<int> order = entriesToBringBack(record);
    for (const int k : order)
        outcome.entries[size_t(k)] = EntryUndo{UndoResult::NotReached};
    ExactNames sourceNames(record.sourceFolder);
    const std::vector<bool> later = laterSteps(record);
    // Last renamed first: a file may have taken the old name of one renamed
    // after it, which has to be free again first.
    for (size_t at = 0; at < order.size(); ++at) {
        if (progress && progress->shouldStop()) {
            outcome.cancelled = true;
            break;
        }
        const int k = order[at];
        const EntryUndo done =
            undoOne(record, record.entries[size_t(k)], later[size_t(k)], fs, sourceNames);
        outcome.entries[size_t(k)] = done;
        if (done.result == UndoResult::Restored)
            ++outcome.restored;
        if (progress)
            progress->setDone(int(at + 1));
    }
    return outcome;
}

BatchRecord remainingAfter(const BatchRecord& record, const UndoOutcome& outcome) {
    BatchRecord left = record;
    left.entries.clear();
    for (size_t k = 0; k < record.entries.size(); ++k) {
        if (outcome.entries[k].isLeft())
            left.entries.push_back(record.entries[k]);
    }
    // Every entry left was renamed, where the batch said which it renamed.
    if (record.renamed)
        left.renamed = int(left.entries.size());
    return left;
}
