#include "ui/platform/DriveChange.h"

#include "ui/platform/DriveList.h"
#include "ui/platform/FolderList.h"
#include "ui/platform/ForcedEnd.h"
#include "ui/platform/MessageBox.h"
#include "ui/platform/Volumes.h"

bool followDrive(const DriveList& drives, FolderList& folders) {
    for (;;) {
        const int err = folders.setDrive(drives.Drive());
        if (err == 0)
            return true;
        if (err == kErrDeviceUnavailable || err == kErrDiskNotReady) {
            MsgBox(QStringLiteral("デバイスが準備されていません"), 5, QString());
            if (MSG_RESULT == QLatin1String("4"))
                continue;
            return false;
        }
        MsgBox(QStringLiteral("予期しないエラーが発生したので強制終了します"), 0,
               QStringLiteral("Tolvane"));
        forcedEnd();
        return false;  // only when a test stands in for the end
    }
}
