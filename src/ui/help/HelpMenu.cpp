#include "ui/help/HelpMenu.h"

#include "ui/platform/MessageBox.h"
#include "ui/platform/ShellOpen.h"

#include <QCoreApplication>
#include <QDir>

const char* const kHomePageUrl = "https://github.com/tolvane/tolvane";

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

void openHomePage() {
    ShellExecute(nullptr, QString::fromLatin1(kHomePageUrl), QString());
}

void showVersion() {
    MsgBox(QStringLiteral("バージョン　1.00"), 0, QString());
}
