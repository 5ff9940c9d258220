#include "ui/windows/HelpCommands.h"

#include "core/settings/InstallLayout.h"
#include "ui/services/DesktopOpen.h"
#include "ui/services/MessageBoxes.h"
#include "ui/windows/MainWindowTexts.h"

#include <QCoreApplication>
#include <QDir>

const char* const kHomePageUrl = TOLVANE_PUBLIC_URL;

QString usageDocumentPath(const QString& applicationFolder) {
    return shippedFilePath(applicationFolder, QString::fromUtf16(kUsageDocumentName));
}

void openUsageDocument(QWidget* owner) {
    openOnDesktop(owner, usageDocumentPath(QCoreApplication::applicationDirPath()));
}

void openHomePage(QWidget* owner) {
    openOnDesktop(owner, QString::fromUtf8(kHomePageUrl));
}

QString programVersion() {
    return QStringLiteral(TOLVANE_VERSION);
}

void showVersion(QWidget* owner) {
    showMessage(owner, versionMessage(programVersion()));
}
