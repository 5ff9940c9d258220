#include "ui/platform/TypedKeys.h"

#include <QKeyEvent>

bool isCommandKey(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:
            return true;
        default:
            return false;
    }
}
