#include "core/rename/Undo.h"

#include "core/common/ErrorReasons.h"
#include "core/text/NativeName.h"

#include <QStringList>

#include <cerrno>
#include <unordered_map>

namespace {

const QString kParagraph = QStringLiteral("\r\n\r\n");
// The report names this many files, and counts the rest.
constexpr int kNamedInReport = 20;

std::optional<FileIdentity> identityAt(FileSystem& fs, const QByteArray& path) {
    return fs.identify(path);
}

bool holds(FileSystem& fs, const QByteArray& path, const FileIdentity& id,
           const BatchRecord& record) {
    const std::optional<FileIdentity> found = identityAt(fs, path);
    return found && isSameFile(id, *found, record.kind, record.startedNs);
}

// laterStep: an earlier entry took this entry's file to where this one
// takes it from (a spare name), so the file is wherever that entry left it
// when this one never ran.
EntryUndo undoOne(const BatchRecord& record, const JournalEntry& entry, bool laterStep,
                  FileSystem& fs) {
    const QByteArray oldPath = record.sourceFolder + entry.oldName;
    const QByteArray newPath = record.targetFolder + entry.newName;
    // A file the batch found already so named, or never came to.
    if (oldPath == newPath || !entry.identity)
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
    return {identityAt(fs, newPath) ? UndoResult::Replaced : UndoResult::Missing};
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

UndoOutcome undoBatch(const BatchRecord& record, FileSystem& fs, TaskProgress* progress) {
    const int count = int(record.entries.size());
    UndoOutcome outcome;
    outcome.entries.resize(size_t(count));
    const std::vector<bool> later = laterSteps(record);
    // Last renamed first: a file may have taken the old name of one renamed
    // after it, which has to be free again first.
    for (int k = count - 1; k >= 0; --k) {
        if (progress && progress->shouldStop()) {
            outcome.cancelled = true;
            break;
        }
        const EntryUndo done = undoOne(record, record.entries[size_t(k)], later[size_t(k)], fs);
        outcome.entries[size_t(k)] = done;
        if (done.result == UndoResult::Restored)
            ++outcome.restored;
        if (progress)
            progress->setDone(count - k);
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
    return left;
}

Message undoQuestion() {
    Message question(QStringLiteral("直前の変換を元に戻します.") + kParagraph +
                         QStringLiteral("実行してもいいですか？"),
                     QStringLiteral("元に戻す"), Icon::Question, Buttons::OkCancel);
    question.cancelIsDefault = true;
    return question;
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
