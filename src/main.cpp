#include "core/settings/Settings.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/ProgramIcon.h"
#include "ui/services/SessionEnd.h"
#include "ui/startup/SingleInstance.h"
#include "ui/startup/Startup.h"
#include "ui/windows/HelpCommands.h"
#include "ui/windows/MainWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <cstring>

using namespace Qt::StringLiterals;

namespace {

// The one command-line service of a desktop program: --help and --version,
// answered on the terminal without opening a window (or needing a screen).
// Anything else on the command line is ignored, as the menu entry passes none.
bool answeredOnTerminal(int argc, char** argv) {
    bool help = false;
    bool version = false;
    for (int i = 1; i < argc; ++i) {
        help = help || std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
        version = version || std::strcmp(argv[i], "--version") == 0;
    }
    if (!help && !version)
        return false;

    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tolvane"));
    QTextStream out(stdout);
    if (help) {
        out << u"使い方: tolvane [--help] [--version]\n"_s
            << u"フォルダーのファイルを、拡張子リストに合うものだけ連番の名前に変換します。\n"_s
            << u"使い方の説明: "_s << usageDocumentPath(applicationFolder()) << u'\n'
            << u"設定ファイル: "_s << settingsFilePath() << u'\n';
    } else {
        out << u"Tolvane 1.00\n"_s;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (answeredOnTerminal(argc, argv))
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tolvane"));
    // Ties the window to its menu entry and icon on Wayland.
    QApplication::setDesktopFileName(QStringLiteral(TOLVANE_APP_ID));
    QApplication::setWindowIcon(programIcon());

    MainWindow* mainWindow = nullptr;
    SessionEnd::install([&mainWindow] {
        if (mainWindow)
            SessionEnd::closeWindows(*mainWindow);
    });

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

    MainWindow window;
    mainWindow = &window;
    startUp(window);
    if (SessionEnd::requested()) {
        window.close();
        return 0;
    }
    window.show();
    return QApplication::exec();
}
