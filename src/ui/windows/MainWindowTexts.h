#pragma once

#include "core/common/ErrorReasons.h"
#include "core/common/Message.h"
#include "core/text/NativeName.h"

#include <QString>

// Every text the main window shows of its own: its menus, the title of its
// progress window, what a screen reader is told, and its boxes. The captions
// of its controls stand in its layout table (MainWindowLayout.h); the rename
// command's and the undo's texts in RenameTexts.h.

// ---- the menu bar -----------------------------------------------------------

inline const QString kSettingsMenuTitle = QStringLiteral("設定");
inline const QString kExtensionsItem = QStringLiteral("拡張子...");
inline const QString kNameOverlapsItem = QStringLiteral("変換するファイル同士の名前の重なりを許す");
inline const QString kShotsTogetherItem = QStringLiteral("同じ名前のファイルに同じ番号を付ける");
inline const QString kRestartEachDayItem = QStringLiteral("日付ごとに開始番号から数え直す");
inline const QString kUndoItem = QStringLiteral("変換を元に戻す");
inline const QString kHelpMenuTitle = QStringLiteral("ヘルプ");
inline const QString kUsageItem = QStringLiteral("使い方...");
inline const QString kHomePageItem = QStringLiteral("ホームページ...");
inline const QString kVersionItem = QStringLiteral("バージョン情報...");

// ---- the conversion list's menu (its title is 設定, as the menu bar's) --------

inline const QString kRemoveFromListItem = QStringLiteral("リストから削除");
inline const QString kOrderByTimeItem = QStringLiteral("撮影日時順に並べる");
inline const QString kOrderByNameItem = QStringLiteral("名前順に並べる");
inline const QString kCorrectClocksItem = QStringLiteral("カメラの時計を補正...");

// ---- progress and what a screen reader hears --------------------------------

// The title of the progress window while the list's shooting times are read.
inline const QString kReadTimesTitle = QStringLiteral("撮影日時の読み取り");
// Said when the start number refuses a key.
inline const QString kDigitsOnlyAnnouncement = QStringLiteral("数字のみ入力できます");

// ---- boxes ------------------------------------------------------------------

// The shooting times of folder could not be read: the drive went away or
// failed (error, an errno).
inline Message sortFailedMessage(const QString& folder, int error) {
    return Message(QStringLiteral("撮影日時を読み取れませんでした.") + kParagraph +
                       displayText(folder) + kLine + reasonForError(error),
                   kWarningTitle, Icon::Warning);
}

// ヘルプ > バージョン情報.
inline Message versionMessage(const QString& version) {
    return Message{QStringLiteral("バージョン　") + version};
}
