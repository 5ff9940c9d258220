#include "rename/RenameCommand.h"

#include "rename/NumberSetup.h"

Message emptyListMessage() {
    return {QStringLiteral("ファイルが選択されていません"), 16, QStringLiteral("注意")};
}

QString MES_build(bool original, const QString& prefix, const QString& suffix) {
    if (original)
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

Message confirmationMessage(const QString& MES) {
    return {MES + QStringLiteral("\r\n\r\n") + QStringLiteral("実行してもいいですか？"), 289,
            QStringLiteral("ファイル名変更")};
}

Message badStartNumberMessage() {
    return {QStringLiteral("開始番号を正しく入力してください."), 48, QStringLiteral("注意")};
}

Message serialOverflowMessage() {
    return {QStringLiteral("連番が32767を超えるため処理できません."), 48, QStringLiteral("注意")};
}

std::optional<Message> startNumberProblem(const QString& startText, int listCount) {
    const std::optional<int> start = plainStartNumber(startText);
    if (!start)
        return badStartNumberMessage();
    if (*start > maxSerial || qint64(*start) + listCount - 1 > maxSerial)
        return serialOverflowMessage();
    return std::nullopt;
}
