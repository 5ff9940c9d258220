// tolvane-bench-window DIR PATTERNS: the main window on the offscreen platform,
// standing beside DIR with the extension list PATTERNS, opens DIR the way a
// double click in the folder list does. Prints the milliseconds from that
// folder change until the conversion list has been filled and painted, the
// peak resident memory in KiB, and the number of listed files.

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

#include "core/text/NativeName.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/NameList.h"
#include "ui/windows/MainWindow.h"

namespace {

// Ends a wait once the watched widget has painted: the stop is queued, so it
// runs after the whole repaint the paint event belongs to.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* watched, QEventLoop* loop) : loop_(loop) {
        watched->installEventFilter(this);
    }
    bool painted = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted) {
            painted = true;
            QTimer::singleShot(0, loop_, &QEventLoop::quit);
        }
        return false;
    }

private:
    QEventLoop* loop_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: tolvane-bench-window DIR PATTERNS\n", stderr);
        return 2;
    }
    char* real = ::realpath(argv[1], nullptr);
    if (!real) {
        std::perror(argv[1]);
        return 1;
    }
    const QByteArray folder(real);
    std::free(real);
    // The window starts in the parent folder, so that opening DIR is a real
    // change of folder (the window starts in the working folder).
    const qsizetype slash = folder.lastIndexOf('/');
    const QByteArray parent = slash <= 0 ? QByteArray("/") : folder.left(slash);
    if (::chdir(parent.constData()) != 0) {
        std::perror(parent.constData());
        return 1;
    }
    // Always offscreen: no screen to wait for, and the same drawing work on
    // every machine.
    qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    installFontSubstitutions();
    MainWindow window;
    window.setExtensionPatterns(fromNative(argv[2]));
    window.show();
    // Let the first showing settle, so that only the folder change is timed.
    QElapsedTimer settle;
    settle.start();
    const auto exposed = [&] {
        return window.windowHandle() && window.windowHandle()->isExposed();
    };
    while (settle.elapsed() < 300 || (!exposed() && settle.elapsed() < 5000))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    QEventLoop loop;
    auto* conversionList = window.findChild<NameList*>(QStringLiteral("conversionList"));
    PaintWatch watch(conversionList->viewport(), &loop);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    if (window.openFolder(fromNative(folder)) != FolderAccess::Opened) {
        std::fprintf(stderr, "%s: the folder list refused it\n", folder.constData());
        return 1;
    }
    if (!watch.painted)
        loop.exec();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (!watch.painted) {
        std::fputs("the conversion list was never painted\n", stderr);
        return 1;
    }

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const long peakKiB = usage.ru_maxrss;
    std::printf("%.3f %ld %d\n", ms, peakKiB, conversionList->count());
    std::fflush(stdout);
    // The measurement is out; tearing down tens of thousands of entries would
    // only lengthen the suite.
    std::_Exit(0);
}
