#include "ui/controls/DriveChange.h"

#include "ui/controls/DriveList.h"
#include "ui/controls/FolderList.h"
#include "ui/services/ImmediateExit.h"
#include "ui/services/MessageBoxes.h"

bool followDrive(const DriveList& drives, FolderList& folders) {
    for (;;) {
        switch (folders.setDrive(drives.drive())) {
            case FolderAccess::Opened:
                return true;
            case FolderAccess::NotFound:
            case FolderAccess::NotReady: {
                const Message notReady{QStringLiteral("デバイスが準備されていません"), QString(),
                                       Icon::None, Buttons::RetryCancel};
                if (showMessage(&folders, notReady) == Answer::Retry)
                    continue;
                return false;
            }
            case FolderAccess::Failed:
                break;
        }
        showMessage(&folders,
                    Message{QStringLiteral("予期しないエラーが発生したので強制終了します"),
                            QStringLiteral("Tolvane")});
        exitImmediately();
        return false;  // only when a test stands in for the end
    }
}
