#include "ui/windows/HelpCommands.h"

#include "core/settings/InstallLayout.h"
#include "ui/services/DesktopOpen.h"
#include "ui/services/MessageBoxes.h"

#include <QCoreApplication>
#include <QDir>

// The program has no web site of its own: its home page is the usage
// document that ships with it. A web address here is opened in the browser.
const char* const kHomePageUrl = "readme.html";

QString usageDocumentPath(const QString& applicationFolder) {
    return shippedFilePath(applicationFolder, QString::fromUtf16(kUsageDocumentName));
}

void openUsageDocument(QWidget* owner) {
    openOnDesktop(owner, usageDocumentPath(QCoreApplication::applicationDirPath()));
}

QString homePageTarget(const QString& applicationFolder) {
    const QString page = QString::fromLatin1(kHomePageUrl);
    if (page.contains(QLatin1String("://")))
        return page;
    return shippedFilePath(applicationFolder, page);
}

void openHomePage(QWidget* owner) {
    openOnDesktop(owner, homePageTarget(QCoreApplication::applicationDirPath()));
}

void showVersion(QWidget* owner) {
    showMessage(owner, Message{QStringLiteral("バージョン　1.00")});
}
