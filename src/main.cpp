#include "core/settings/Settings.h"
#include "ui/controls/Fonts.h"
#include "ui/services/ProgramIcon.h"
#include "ui/services/SessionEnd.h"
#include "ui/startup/CommandLine.h"
#include "ui/startup/FolderHandOff.h"
#include "ui/startup/SingleInstance.h"
#include "ui/startup/Startup.h"
#include "ui/windows/HelpCommands.h"
#include "ui/windows/MainWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace {

// How long a later start tries to reach the running copy with its folder.
constexpr int kHandOffPatienceMs = 3000;

// The command-line services of a desktop program besides a folder to open:
// --help and --version, answered on the terminal without opening a window (or
// needing a screen).
bool answeredOnTerminal(int argc, char** argv) {
    const bool help = asksForHelp(argc, argv);
    const bool version = asksForVersion(argc, argv);
    if (!help && !version)
        return false;

    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tolvane"));
    QTextStream out(stdout);
    if (help) {
        out << u"使い方: tolvane [--help] [--version]\n"_s << u"        tolvane [フォルダー]\n"_s
            << u"フォルダーのファイルを、拡張子リストに合うものだけ連番の名前に変換します。\n"_s
            << u"フォルダーを指定すると、前回のフォルダーではなくそのフォルダーを開きます"_s
            << u"（ファイルならそれがあるフォルダー）。\n"_s
            << u"すでに起動しているときは、そのウィンドウでフォルダーを開きます。\n"_s
            << u"使い方の説明: "_s << usageDocumentPath(applicationFolder()) << u'\n'
            << u"設定ファイル: "_s << settingsFilePath() << u'\n';
    } else {
        out << u"Tolvane "_s << programVersion() << u'\n';
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

    // Taken after QApplication has removed its own options.
    const QString requestedFolder = folderFromCommandLine(argc, argv);

    // A second copy hands its folder to the running one, which opens it and
    // comes to the front; without a folder it ends at once, silently,
    // touching nothing. It ends the same way when the running copy cannot be
    // reached: a second window is what the lock is there to prevent.
    SingleInstance instance;
    if (!instance.acquire()) {
        if (!requestedFolder.isEmpty())
            sendFolder(instance.socketPath(), requestedFolder, kHandOffPatienceMs);
        return 0;
    }
    // Listening before the window exists: a start racing this one waits in
    // the socket's queue, and the window opens its folder once it is up.
    FolderReceiver receiver(instance.socketPath());

    installFontSubstitutions();

    // The interface is Japanese whatever the desktop's language, the standard
    // buttons of the message boxes included.
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    MainWindow window;
    mainWindow = &window;
    QObject::connect(&receiver, &FolderReceiver::folderReceived, &window,
                     &MainWindow::openFromOutside);
    startUp(window, requestedFolder);
    if (SessionEnd::requested()) {
        window.close();
        return 0;
    }
    window.show();
    return QApplication::exec();
}
