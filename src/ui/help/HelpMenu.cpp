#include "ui/help/HelpMenu.h"

#include "app/InstallLayout.h"
#include "ui/platform/MessageBox.h"
#include "ui/platform/ShellOpen.h"

#include <QCoreApplication>
#include <QDir>

// The program has no web site of its own: its home page is the usage
// document that ships with it. A web address here is opened in the browser.
const char* const kHomePageUrl = "readme.html";

QString usageDocumentPath(const QString& applicationFolder) {
    return shippedFilePath(applicationFolder, QString::fromUtf16(kUsageDocumentName));
}

void openUsageDocument(QWidget* owner) {
    const QString folder = QCoreApplication::applicationDirPath();
    ShellExecute(owner, usageDocumentPath(folder), folder);
}

QString homePageTarget(const QString& applicationFolder) {
    const QString page = QString::fromLatin1(kHomePageUrl);
    if (page.contains(QLatin1String("://")))
        return page;
    return shippedFilePath(applicationFolder, page);
}

void openHomePage() {
    ShellExecute(nullptr, homePageTarget(QCoreApplication::applicationDirPath()), QString());
}

void showVersion() {
    MsgBox(QStringLiteral("バージョン　1.00"), 0, QString());
}
