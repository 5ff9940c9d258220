#include "core/rename/RenameCommand.h"

#include "core/common/ErrorReasons.h"
#include "core/rename/BatchNaming.h"
#include "core/rename/NameChecks.h"
#include "core/text/NativeName.h"

#include <algorithm>
#include <cerrno>

namespace {

const QString kParagraph = QStringLiteral("\r\n\r\n");
const QString kLine = QStringLiteral("\r\n");

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

}  // namespace

std::optional<RenameOutcome> runRenameCommand(const RenameRequest& request, FileSystem& fs,
                                              RenameCommandHost& host) {
    if (request.shots.empty()) {
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
    // The names are to show when each shot was taken: what the list has not
    // read yet is read now, before anything is asked. A shot's time is its
    // members' earliest, so each of them is read.
    RenameRequest timed;
    const RenameRequest* ready = &request;
    const auto unread = [](const Shot& shot) {
        return std::any_of(shot.members.begin(), shot.members.end(),
                           [](const ListedFile& file) { return !file.time.isKnown(); });
    };
    if (namesShowShootingTimes(request) &&
        std::any_of(request.shots.begin(), request.shots.end(), unread)) {
        timed = request;
        if (!host.completeShootingTimes(timed.shots))
            return std::nullopt;
        ready = &timed;
    }
    const RenamePlan plan = RenamePlan::make(*ready, fs);
    // A start number that cannot number this list, or a row without a time
    // to show, stops here, before the user is asked. A name the file system cannot hold is reported
    // after the question, as the run's stop, with nothing renamed.
    if (plan.refusal() && plan.refusal()->reason != StopReason::UnfitName) {
        host.refuse({refusedMessage(plan, *plan.refusal()), std::nullopt});
        return std::nullopt;
    }
    if (!host.confirm(confirmationMessage(*ready), plan))
        return std::nullopt;
    JournalWriter journal(fs);
    if (const BatchHistory* history = host.history(); history && !plan.refusal()) {
        if (history->record(journal, plan) == JournalState::Failed &&
            !host.goOnUnrecorded(unrecordedWarning()))
            return std::nullopt;
    }
    const RenameOutcome outcome =
        plan.refusal() ? RenameOutcome(*plan.refusal()) : host.run(plan, fs, journal);
    if (const std::optional<Message> stop = stopMessage(plan, outcome))
        host.report(*stop);
    return outcome;
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
