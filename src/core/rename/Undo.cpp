#include "core/rename/Undo.h"

#include "core/common/ErrorReasons.h"
#include "core/files/FileListing.h"
#include "core/text/NativeName.h"

#include <QDateTime>
#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <set>
#include <unordered_map>

namespace {

const QString kParagraph = QStringLiteral("\r\n\r\n");
const QString kLine = QStringLiteral("\r\n");
// The report names this many files, and counts the rest.
constexpr int kNamedInReport = 20;

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

Message undoQuestion(const BatchRecord& record) {
    QByteArray folder = record.sourceFolder;
    if (folder.size() > 1 && folder.endsWith('/'))
        folder.chop(1);
    const QDateTime ran = QDateTime::fromMSecsSinceEpoch(record.startedNs / 1000000);
    const QString batch = displayText(fromNative(folder)) + QStringLiteral(" の ") +
                          QString::number(entriesToBringBack(record).size()) +
                          QStringLiteral(" 個のファイル（") +
                          ran.toString(QStringLiteral("yyyy/MM/dd HH:mm")) + QStringLiteral("）");
    Message question(QStringLiteral("直前の変換を元に戻します.") + kLine + batch + kParagraph +
                         QStringLiteral("実行してもいいですか？"),
                     QStringLiteral("元に戻す"), Icon::Question, Buttons::OkCancel);
    question.cancelIsDefault = true;
    return question;
}

std::optional<Message> undoStopMessage(const BatchRecord& record, const UndoOutcome& outcome) {
    if (!outcome.cancelled)
        return std::nullopt;
    const std::vector<int> order = entriesToBringBack(record);
    size_t next = 0;
    while (next < order.size() &&
           outcome.entries[size_t(order[next])].result != UndoResult::NotReached)
        ++next;
    if (next == order.size())
        return std::nullopt;
    // The undo goes from the last entry back: the one it would have taken
    // next, and every one before it in the list, still carry their new names.
    const QString notBack = next == 0 ? QStringLiteral("ファイルは元に戻していません.")
                                      : displayName(record.entries[size_t(order[next])].newName) +
                                            QStringLiteral(" 以前のファイルは元に戻していません.");
    return Message(QStringLiteral("元に戻すのを中止しました.") + kParagraph + notBack + kLine +
                       QStringLiteral("残りは、もう一度「変換を元に戻す」を選ぶと元に戻せます."),
                   kWarningTitle, Icon::Warning);
}

std::optional<Message> undoReport(const BatchRecord& record, const UndoOutcome& outcome) {
    QStringList lines;
    int left = 0;
    for (size_t k = 0; k < record.entries.size(); ++k) {
        const EntryUndo& done = outcome.entries[k];
        if (!done.isLeft() || done.result == UndoResult::NotReached)
            continue;
        ++left;
        if (left > kNamedInReport)
            continue;
        const JournalEntry& entry = record.entries[k];
        QString why;
        switch (done.result) {
            case UndoResult::OldNameTaken:
                why = QStringLiteral("元の名前のファイルがすでにあります");
                break;
            case UndoResult::Missing:
                why = QStringLiteral("ファイルが見つかりません (移動または削除されました)");
                break;
            case UndoResult::Replaced:
                why = QStringLiteral("別のファイルがこの名前になっています");
                break;
            default:
                why = reasonForError(done.error);
                break;
        }
        lines << displayName(entry.newName) + QStringLiteral(" → ") + displayName(entry.oldName) +
                     QStringLiteral(" : ") + why;
    }
    if (left == 0)
        return std::nullopt;
    if (left > kNamedInReport)
        lines << QStringLiteral("ほか %1 個").arg(left - kNamedInReport);
    return Message(
        QStringLiteral("元に戻せなかったファイルがあります.") + kParagraph +
            lines.join(QStringLiteral("\r\n")) + kParagraph +
            QStringLiteral("名前を空けてから、もう一度「変換を元に戻す」を選んでください."),
        kWarningTitle, Icon::Warning);
}
