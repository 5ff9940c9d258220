#include "core/rename/RenameCommand.h"

#include "core/common/ErrorReasons.h"
#include "core/rename/NameChecks.h"
#include "core/text/NativeName.h"

namespace {

const QString kParagraph = QStringLiteral("\r\n\r\n");
const QString kLine = QStringLiteral("\r\n");

// The file the run stopped at, as the list shows it.
QString stoppedEntry(const RenamePlan& plan, const RenameOutcome& outcome) {
    const bool known = outcome.stoppedAt >= 0 && outcome.stoppedAt < plan.count();
    return known ? displayName(plan.entry(outcome.stoppedAt).toByteArray()) : QString();
}

// What follows the first line of a stop for an error: where the run stopped,
// and why in the system's own terms. A plan refused for one name renamed no
// file at all, though the name it refused may be far down the list.
QString whereAndWhy(const RenamePlan& plan, const RenameOutcome& outcome, const QString& reason) {
    QString text = kParagraph + stoppedEntry(plan, outcome) +
                   QStringLiteral(" より後のファイルが変換できませんでした.") + kLine + reason;
    if (plan.refusal() != StopReason::None)
        text += kLine + QStringLiteral("ファイルは変換していません.");
    return text;
}

}  // namespace

std::optional<RenameOutcome> runRenameCommand(const RenameRequest& request, FileSystem& fs,
                                              RenameCommandHost& host) {
    if (request.entries.empty()) {
        host.refuse({emptyListMessage(), std::nullopt});
        return std::nullopt;
    }
    if (isRefusedNameText(request.prefix)) {
        host.refuse({nameRefusalMessage(), NameBox::Prefix});
        return std::nullopt;
    }
    if (isRefusedNameText(request.suffix)) {
        host.refuse({nameRefusalMessage(), NameBox::Suffix});
        return std::nullopt;
    }
    const RenamePlan plan = RenamePlan::make(request, fs);
    // A start number that cannot number this list stops here, before the
    // user is asked. A name the file system cannot hold is reported after
    // the question, as the run's stop, with nothing renamed.
    if (plan.refusal() == StopReason::BadStartNumber) {
        host.refuse({badStartNumberMessage(), std::nullopt});
        return std::nullopt;
    }
    if (plan.refusal() == StopReason::SerialOverflow) {
        host.refuse({serialOverflowMessage(), std::nullopt});
        return std::nullopt;
    }
    if (!host.confirm(confirmationMessage(request), plan))
        return std::nullopt;
    const RenameOutcome outcome =
        plan.refusal() == StopReason::None ? host.run(plan, fs) : renameAll(plan, fs);
    if (const std::optional<Message> stop = stopMessage(plan, outcome))
        host.report(*stop);
    return outcome;
}

Message emptyListMessage() {
    return {QStringLiteral("ファイルが選択されていません"), kWarningTitle, Icon::Error};
}

Message nameRefusalMessage() {
    return {QStringLiteral("ファイル名に \\ / : , ; * ? ") + u'"' +
                QStringLiteral(" < > . | は使用できません"),
            kWarningTitle};
}

Message badStartNumberMessage() {
    return {QStringLiteral("開始番号を正しく入力してください."), kWarningTitle, Icon::Warning};
}

Message serialOverflowMessage() {
    return {QStringLiteral("連番が32767を超えるため処理できません."), kWarningTitle, Icon::Warning};
}

QString newNamesDescription(const RenameRequest& request) {
    const QString& prefix = request.prefix;
    const QString& suffix = request.suffix;
    if (request.ownName)
        return QStringLiteral("「元ファイル名＋連番」に変換します.");
    if (prefix.isEmpty() && suffix.isEmpty())
        return QStringLiteral("「連番＋拡張子」に変換します.");
    if (prefix.isEmpty())
        return QStringLiteral("「連番＋") + suffix + QStringLiteral("＋拡張子」に変換します.");
    if (suffix.isEmpty())
        return QStringLiteral("「 ") + prefix + QStringLiteral("＋連番＋拡張子に変換します.」");
    return QStringLiteral("「") + prefix + QStringLiteral("＋連番＋") + suffix +
           QStringLiteral("＋拡張子」に変換します.");
}

Message confirmationMessage(const RenameRequest& request) {
    Message question{
        newNamesDescription(request) + kParagraph + QStringLiteral("実行してもいいですか？"),
        QStringLiteral("ファイル名変更"), Icon::Question, Buttons::OkCancel};
    question.cancelIsDefault = true;
    return question;
}

std::optional<Message> stopMessage(const RenamePlan& plan, const RenameOutcome& outcome) {
    switch (outcome.stop) {
        case StopReason::None:
            if (!outcome.cancelled)
                return std::nullopt;
            return Message(QStringLiteral("変換を中止しました.") + kParagraph +
                               (outcome.renamed == 0
                                    ? QStringLiteral("ファイルは変換していません.")
                                    : displayName(plan.entry(outcome.renamed - 1).toByteArray()) +
                                          QStringLiteral(" より後のファイルは変換していません.")),
                           kWarningTitle, Icon::Warning);
        case StopReason::BadStartNumber:
            return badStartNumberMessage();
        case StopReason::SerialOverflow:
            return serialOverflowMessage();
        case StopReason::FolderMissing:
            return Message{QStringLiteral("保存先フォルダーが存在しないので処理できませんでした.") +
                           whereAndWhy(plan, outcome, missingFolderReason())};
        case StopReason::NameTaken:
            return Message{QStringLiteral("保存先に同じ名前が存在しています.") + kParagraph +
                               stoppedEntry(plan, outcome) +
                               QStringLiteral(" より後のファイルが変換できませんでした."),
                           kWarningTitle, Icon::Warning};
        case StopReason::AccessError:
            break;
    }
    return Message{
        QStringLiteral("エラーによって処理できませんでした.") +
        whereAndWhy(plan, outcome,
                    outcome.folderGone ? missingFolderReason() : reasonForError(outcome.error))};
}
