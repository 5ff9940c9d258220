#include "core/rename/RenameTexts.h"

#include "core/common/ErrorReasons.h"
#include "core/text/NativeName.h"

#include <QDateTime>
#include <QStringList>

#include <cerrno>

// ---- the rename command -----------------------------------------------------

const QString kRenameTitle = QStringLiteral("ファイル名変更");

namespace {

// The entry a run stopped at, as the list shows it.
QString entryAt(const RenamePlan& plan, int at) {
    return at >= 0 && at < plan.count() ? displayName(plan.entry(at).toByteArray()) : QString();
}

QString newNameAt(const RenamePlan& plan, int at) {
    return at >= 0 && at < plan.count() ? displayName(plan.newName(at).toByteArray()) : QString();
}

const QString kNotAfter = QStringLiteral(" より後のファイルが変換できませんでした.");

// How many files carry their new names, where they are not the first ones
// of the list.
QString renamedOutOf(const RenamePlan& plan, int renamed) {
    return QStringLiteral("変換したファイルは %1 個、変換していないファイルは %2 個です.")
        .arg(renamed)
        .arg(plan.count() - renamed);
}

// What follows the first line of a stop: the entry the run stopped at, with
// the entries before it renamed and the later ones not; or, where the files
// did not take their names in list order, with how many did. Then, for an
// error, why in the system's own terms.
QString whereAndWhy(const RenamePlan& plan, int at, int renamed,
                    const QString& reason = QString()) {
    QString text = kParagraph + entryAt(plan, at);
    text += plan.reordered() ? QStringLiteral(" が変換できませんでした.") : kNotAfter;
    if (!reason.isEmpty())
        text += kLine + reason;
    if (plan.reordered())
        text += kLine + renamedOutOf(plan, renamed);
    return text;
}

Message stoppedMessage(const RenamePlan& plan, const RenameStopped& stopped) {
    switch (stopped.reason) {
        case StopReason::FolderMissing:
            return Message{QStringLiteral("保存先フォルダーが存在しないので処理できませんでした.") +
                           whereAndWhy(plan, stopped.at, stopped.renamed, missingFolderReason())};
        case StopReason::NameTaken:
            return Message{QStringLiteral("保存先に同じ名前が存在しています.") +
                               whereAndWhy(plan, stopped.at, stopped.renamed),
                           kWarningTitle, Icon::Warning};
        default:
            break;
    }
    QString reason = reasonForError(stopped.error);
    if (stopped.reason == StopReason::FolderGone)
        reason = missingFolderReason();
    else if (stopped.reason == StopReason::RecordFailed)
        reason = QStringLiteral("元に戻すための記録を保存できません.") + kLine + reason;
    return Message{QStringLiteral("エラーによって処理できませんでした.") +
                   whereAndWhy(plan, stopped.at, stopped.renamed, reason)};
}

}  // namespace

Message refusedMessage(const RenamePlan& plan, const PlanRefusal& refusal) {
    switch (refusal.reason) {
        case StopReason::BadStartNumber:
            return badStartNumberMessage();
        case StopReason::SerialOverflow:
            return serialOverflowMessage();
        case StopReason::NoShootingTime:
            return Message{
                QStringLiteral("撮影日時を読み取れないファイルがあるため処理できません.") +
                    kParagraph + entryAt(plan, refusal.at),
                kWarningTitle, Icon::Warning};
        default:
            // A plan refused for one name renamed no file at all, though the
            // name it refused may be far down the list: the entry (and the
            // new name too long for it), why, and that nothing was renamed.
            return Message{QStringLiteral("エラーによって処理できませんでした.") + kParagraph +
                           entryAt(plan, refusal.at) +
                           (refusal.error == ENAMETOOLONG
                                ? QStringLiteral(" → ") + newNameAt(plan, refusal.at)
                                : QString()) +
                           kLine + reasonForError(refusal.error) + kLine +
                           QStringLiteral("ファイルは変換していません.")};
    }
}

Message unrecordedWarning() {
    Message warning(QStringLiteral("元に戻すための記録を保存できません.") + kParagraph +
                        QStringLiteral("このまま変換しますか？"),
                    kWarningTitle, Icon::Warning, Buttons::OkCancel);
    warning.cancelIsDefault = true;
    return warning;
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
    // The space after 「 and the 」 after the full stop are how users have
    // always seen this line; kept as they are.
    if (suffix.isEmpty())
        return QStringLiteral("「 ") + prefix + QStringLiteral("＋連番＋拡張子に変換します.」");
    return QStringLiteral("「") + prefix + QStringLiteral("＋連番＋") + suffix +
           QStringLiteral("＋拡張子」に変換します.");
}

Message confirmationMessage(const RenameRequest& request) {
    Message question{
        newNamesDescription(request) + kParagraph + QStringLiteral("実行してもいいですか？"),
        kRenameTitle, Icon::Question, Buttons::OkCancel};
    question.cancelIsDefault = true;
    return question;
}

std::optional<Message> stopMessage(const RenamePlan& plan, const RenameOutcome& outcome) {
    if (const auto* cancelled = std::get_if<RenameCancelled>(&outcome)) {
        QString what;
        if (cancelled->renamed == 0)
            what = QStringLiteral("ファイルは変換していません.");
        else if (plan.reordered())
            what = renamedOutOf(plan, cancelled->renamed);
        else
            what = entryAt(plan, cancelled->renamed - 1) +
                   QStringLiteral(" より後のファイルは変換していません.");
        return Message(QStringLiteral("変換を中止しました.") + kParagraph + what, kWarningTitle,
                       Icon::Warning);
    }
    if (const auto* stopped = std::get_if<RenameStopped>(&outcome))
        return stoppedMessage(plan, *stopped);
    if (const auto* refusal = std::get_if<PlanRefusal>(&outcome))
        return refusedMessage(plan, *refusal);
    return std::nullopt;
}

// ---- the details of the rename's question -----------------------------------

const QString kPreviewUnfitHeading =
    QStringLiteral("使えない名前があるため、ファイルは変換しません: ");
const QString kPreviewTakenHeading =
    QStringLiteral("同じ名前のファイルがあるため、次の行で変換が止まります: ");
const QString kPreviewTakenByBatchHeading = QStringLiteral(
    "変換するファイルの中に同じ名前のものがあるため、次の行で変換が止まり"
    "ます (設定の「変換するファイル同士の名前の重なりを許す」を選ぶと、"
    "この行で止まらずに変換できます): ");
const QString kPreviewTakenMark = QStringLiteral("  ← 同じ名前が存在しています");
const QString kPreviewFileTimeMark = QStringLiteral("（ファイルの日時）");
const QString kPreviewSidecarsHeading =
    QStringLiteral("同じ名前の写真がリストにないため、次のファイルはそのままです:");

// ---- the undo ---------------------------------------------------------------

const QString kUndoTitle = QStringLiteral("元に戻す");

namespace {

// The report names this many files, and counts the rest.
constexpr int kNamedInReport = 20;

}  // namespace

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
                     kUndoTitle, Icon::Question, Buttons::OkCancel);
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
        QStringLiteral("元に戻せなかったファイルがあります.") + kParagraph + lines.join(kLine) +
            kParagraph +
            QStringLiteral("名前を空けてから、もう一度「変換を元に戻す」を選んでください."),
        kWarningTitle, Icon::Warning);
}
