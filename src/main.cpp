#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "ui/main/Tolvane.h"
#include "ui/platform/Fonts.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    QIcon icon(QStringLiteral(":/tolvane.png"));
    icon.addFile(QStringLiteral(":/tolvane-256.png"));
    QApplication::setWindowIcon(icon);

    // A second copy ends at once, silently, touching nothing.
    SingleInstance instance;
    if (!instance.acquire())
        return 0;

    installFontSubstitutions();

    // The interface is Japanese whatever the desktop's language, the standard
    // buttons of the message boxes included.
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    Tolvane window;
    Form_Load(window);
    window.show();
    return QApplication::exec();
}
