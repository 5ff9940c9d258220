#include "core/common/ErrorReasons.h"

#include <cerrno>

QString reasonForError(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return QStringLiteral("アクセスが拒否されました");
        case EROFS:
            return QStringLiteral("読み取り専用です");
        case ENAMETOOLONG:
            return QStringLiteral("名前が長すぎます");
        case EXDEV:
            return QStringLiteral("別のドライブへは移動できません");
        case ENOENT:
            return QStringLiteral("ファイルが見つかりません");
        case ENOTDIR:
            return missingFolderReason();
        case EEXIST:
        case ENOTEMPTY:
            return QStringLiteral("同じ名前が存在しています");
        case ENOSPC:
        case EDQUOT:
            return QStringLiteral("ディスクの空きが足りません");
        case EBUSY:
        case ETXTBSY:
            return QStringLiteral("ファイルが使用中です");
        case EIO:
            return QStringLiteral("読み書きできませんでした");
        case EINVAL:
            return QStringLiteral("名前に使えない文字があります");
        default:
            return QStringLiteral("エラー番号 %1").arg(error);
    }
}

QString missingFolderReason() {
    return QStringLiteral("フォルダーが見つかりません");
}
