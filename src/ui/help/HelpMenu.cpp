#include "ui/help/HelpMenu.h"

#include "ui/platform/MessageBox.h"
#include "ui/platform/ShellOpen.h"

#include <QCoreApplication>
#include <QDir>

// The program has no web site of its own: its home page is the usage
// document that ships with it. A web address here is opened in the browser.
const char* const kHomePageUrl = "readme.html";

QString usageDocumentPath(const QString& applicationFolder) {
    const QString separator = QDir::separator();
    const QString name = QStringLiteral("readme.html");
    if (applicationFolder.endsWith(QLatin1Char('/')) || applicationFolder.endsWith(separator))
        return applicationFolder + name;
    return applicationFolder + QLatin1Char('/') + name;
}

void openUsageDocument(QWidget* owner) {
    const QString folder = QCoreApplication::applicationDirPath();
    ShellExecute(owner, usageDocumentPath(folder), folder);
}

QString homePageTarget(const QString& applicationFolder) {
    const QString page = QString::fromLatin1(kHomePageUrl);
    if (page.contains(QLatin1String("://")))
        return page;
    return applicationFolder.endsWith(QLatin1Char('/')) ? applicationFolder + page
                                                        : applicationFolder + QLatin1Char('/') + page;
}

void openHomePage() {
    ShellExecute(nullptr, homePageTarget(QCoreApplication::applicationDirPath()), QString());
}

void showVersion() {
    MsgBox(QStringLiteral("バージョン　1.00"), 0, QString());
}
