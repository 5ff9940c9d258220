#include "core/common/ErrorReasons.h"

#include <cerrno>

bool isDriveFailure(int error) {
    switch (error) {
        case EIO:
        case ENOTCONN:  // a FUSE driver whose card went away
        case ENODEV:
        case ENXIO:
        case ESTALE:
        case ESHUTDOWN:
            return true;
        default:
            return false;
    }
}

QString reasonForError(int error) {
    if (isDriveFailure(error))
        return QStringLiteral("ドライブが取り外されたか、読み書きできません");
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
        case EINVAL:
            return QStringLiteral("名前に使えない文字があります");
        default:
            return QStringLiteral("エラー番号 %1").arg(error);
    }
}

QString missingFolderReason() {
    return QStringLiteral("フォルダーが見つかりません");
}
