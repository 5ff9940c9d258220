#include "ui/services/ProgramIcon.h"

// Resources of a static library are registered only when asked for.
static void registerIcons() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(tolvane);
        return true;
    }();
    (void)registered;
}

QIcon programIcon() {
    registerIcons();
    QIcon icon;
    for (const int size : {16, 32, 48, 256})
        icon.addFile(QStringLiteral(":/tolvane-%1.png").arg(size), QSize(size, size));
    return icon;
}
