// tolvane-bench-window [--question | --run | --ok-to-list | --sort-times |
// --repaint-gaps | --clock-offsets | --shots] DIR PATTERNS: the main window on the offscreen
// platform, standing beside DIR with the extension list PATTERNS, opens DIR the way a double click
// in the folder list does. Prints the milliseconds from that folder change until the conversion
// list has been filled and painted, the peak resident memory in KiB, and the number of listed
// files. Then:
//   --question      clicks 変換 and prints the milliseconds until the question
//                   is up, and from a click on its details button until they
//                   are filled; answers Cancel.
//   --run           renames the listed files through the window (prefix
//                   card_, start 1, every question answered OK) while the
//                   window is asked to repaint every 10 ms, and prints the
//                   run's milliseconds, the longest gap between two paints of
//                   the window during it, the number renamed, and when that
//                   gap began.
//   --ok-to-list    renames them the same way, the question answered OK the
//                   moment it is asked, and prints the milliseconds from that
//                   answer until the conversion list, read again, has been
//                   painted with the new names; the longest gap between two
//                   paints of the window from the click on 変換 on (a corner
//                   of the menu bar asked to repaint every 10 ms, a probe
//                   that costs little); the number renamed; and then, on the
//                   same folder, the plain program's milliseconds for the
//                   same rename (prefix plain_) and for listing the folder
//                   afterwards.
//   --sort-times    chooses 撮影日時順に並べる in the conversion list's context
//                   menu and prints the milliseconds until the list stands in
//                   shooting order and has been painted, the longest gap
//                   between two repaints of the list meanwhile, and the number
//                   of listed files.
//   --repaint-gaps  the same while the list is asked to repaint every 10 ms,
//                   as an animation would, so that the gap shows how long the
//                   window's thread was ever kept from painting; that probe's
//                   own painting lengthens the time.
//   --clock-offsets sorts the list by shooting time as --sort-times does,
//                   then opens カメラの時計を補正..., adds an hour to the first
//                   camera's clock and prints, on a third line, the
//                   milliseconds from the click on OK until the list,
//                   corrected and in shooting order again, has been painted
//                   (the offset kept in a settings file of its own included);
//                   then the number of clocks the dialog listed, the number
//                   of listed files and the number of them whose place
//                   changed.
//   --shots         turns on 同じ名前のファイルに同じ番号を付ける first (in a
//                   settings file of the run's own), so that the folder change
//                   makes the files of one name one row: the number printed is
//                   that of the rows.

#include <sys/resource.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/settings/Settings.h"
#include "core/text/NativeName.h"
#include "plain.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/NameList.h"
#include "ui/services/MessageBoxes.h"
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

// Records the time between paints of the watched widget.
class PaintGaps : public QObject {
public:
    explicit PaintGaps(QWidget* watched) { watched->installEventFilter(this); }
    void start() {
        clock_.start();
        last_ = 0;
        longest_ = 0;
        longestAt_ = 0;
    }
    double longestMs() const { return double(longest_) / 1e6; }
    // When the longest gap began, from the start.
    double longestAtMs() const { return double(longestAt_) / 1e6; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && clock_.isValid()) {
            const qint64 now = clock_.nsecsElapsed();
            if (now - last_ > longest_) {
                longest_ = now - last_;
                longestAt_ = last_;
            }
            last_ = now;
        }
        return false;
    }

private:
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    qint64 longestAt_ = 0;
};

QAction* menuItem(const QWidget& window, const QString& text) {
    for (QMenu* menu : window.findChildren<QMenu*>()) {
        for (QAction* action : menu->actions()) {
            if (action->text() == text)
                return action;
        }
    }
    return nullptr;
}

int sortByShootingTime(MainWindow& window, NameList* list, bool probe) {
    QAction* sort = menuItem(window, QStringLiteral("撮影日時順に並べる"));
    if (!sort) {
        std::fputs("no 撮影日時順に並べる in the menus\n", stderr);
        return 1;
    }
    PaintGaps gaps(list->viewport());
    QTimer animation;
    QObject::connect(&animation, &QTimer::timeout, list->viewport(),
                     [list] { list->viewport()->update(); });
    if (probe)
        animation.start(10);
    QEventLoop loop;
    PaintWatch watch(list->viewport(), &loop);
    gaps.start();
    QElapsedTimer timer;
    timer.start();
    sort->trigger();
    watch.painted = false;
    list->viewport()->update();
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%.3f %.3f %d\n", ms, gaps.longestMs(), list->count());
    return 0;
}

int correctClocks(MainWindow& window, NameList* list) {
    if (sortByShootingTime(window, list, false) != 0)
        return 1;
    QAction* correct = menuItem(window, QStringLiteral("カメラの時計を補正..."));
    if (!correct) {
        std::fputs("no カメラの時計を補正... in the menus\n", stderr);
        return 1;
    }
    QStringList before;
    for (int k = 0; k < list->count(); ++k)
        before << list->text(k);
    QElapsedTimer timer;
    int clocks = 0;
    auto* watch = new QTimer(&window);
    QObject::connect(watch, &QTimer::timeout, &window, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != QLatin1String("cameraClockDialog"))
            return;
        watch->stop();
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
            clocks += edit->objectName() == QLatin1String("hoursEdit") ? 1 : 0;
            if (edit->objectName() == QLatin1String("hoursEdit") &&
                edit->parentWidget()->objectName() == QLatin1String("clockRow0"))
                edit->setText(QStringLiteral("1"));
        }
        for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
            if (button->text() == QLatin1String("OK")) {
                timer.start();
                button->click();
            }
        }
    });
    watch->start(0);
    correct->trigger();
    QEventLoop loop;
    PaintWatch painted(list->viewport(), &loop);
    list->viewport()->update();
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    const double ms = timer.isValid() ? double(timer.nsecsElapsed()) / 1e6 : -1;
    int moved = 0;
    for (int k = 0; k < list->count(); ++k)
        moved += list->text(k) != before.value(k) ? 1 : 0;
    std::printf("%.3f %d %d %d\n", ms, clocks, list->count(), moved);
    return ms >= 0 && painted.painted ? 0 : 1;
}

// Answers every box OK, as a person who means to rename would.
class YesBoxes : public MessageBoxService {
public:
    YesBoxes() { MessageBoxService::replace(this); }
    ~YesBoxes() override { MessageBoxService::replace(nullptr); }
    Answer show(QWidget*, const Message&) override { return Answer::Ok; }
};

int question(MainWindow& window) {
    double boxMs = -1;
    double detailsMs = -1;
    QElapsedTimer clock;
    auto* watch = new QTimer(&window);
    QObject::connect(watch, &QTimer::timeout, &window, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        watch->stop();
        boxMs = double(clock.nsecsElapsed()) / 1e6;
        for (QPushButton* button : box->findChildren<QPushButton*>()) {
            if (button->text() == QMessageBox::tr("Show Details...")) {
                QElapsedTimer details;
                details.start();
                button->click();
                detailsMs = double(details.nsecsElapsed()) / 1e6;
            }
        }
        box->button(QMessageBox::Cancel)->click();
    });
    watch->start(0);
    clock.start();
    window.findChild<QPushButton*>(QStringLiteral("convertButton"))->click();
    std::printf("%.3f %.3f\n", boxMs, detailsMs);
    return boxMs < 0 ? 1 : 0;
}

int run(MainWindow& window, NameList* list) {
    YesBoxes yes;
    window.findChild<QLineEdit*>(QStringLiteral("prefixEdit"))->setText(QStringLiteral("card_"));
    PaintGaps gaps(&window);
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, &window, [&window] { window.update(); });
    repaint.start(10);
    const int before = list->count();
    QElapsedTimer clock;
    gaps.start();
    clock.start();
    window.findChild<QPushButton*>(QStringLiteral("convertButton"))->click();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    int renamed = 0;
    for (int k = 0; k < list->count(); ++k)
        renamed += list->text(k).startsWith(QStringLiteral("card_")) ? 1 : 0;
    std::printf("%.3f %.3f %d %.3f\n", ms, gaps.longestMs(), renamed, gaps.longestAtMs());
    return renamed == before ? 0 : 1;
}

// Answers the rename's question OK the moment it is asked, and notes when;
// any other box is a stop or a refusal, counted.
class OkAtOnce : public MessageBoxService {
public:
    OkAtOnce() { MessageBoxService::replace(this); }
    ~OkAtOnce() override { MessageBoxService::replace(nullptr); }
    Answer show(QWidget*, const Message& message) override {
        if (message.buttons == Buttons::OkCancel)
            answered.start();
        else
            ++others;
        return Answer::Ok;
    }
    QElapsedTimer answered;
    int others = 0;
};

int okToList(MainWindow& window, NameList* list, const QByteArray& folder,
             const QByteArray& patterns) {
    OkAtOnce ok;
    window.findChild<QLineEdit*>(QStringLiteral("prefixEdit"))->setText(QStringLiteral("card_"));
    QWidget* probe = window.menuBar();
    PaintGaps gaps(probe);
    QTimer repaint;
    QObject::connect(&repaint, &QTimer::timeout, probe, [probe] { probe->update(0, 0, 1, 1); });
    const int before = list->count();
    repaint.start(10);
    gaps.start();
    window.findChild<QPushButton*>(QStringLiteral("convertButton"))->click();
    // The list was read again from the folder; the user sees the new names
    // once it has been painted.
    QEventLoop loop;
    PaintWatch watch(list->viewport(), &loop);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    const double okMs = ok.answered.isValid() ? double(ok.answered.nsecsElapsed()) / 1e6 : -1;
    repaint.stop();
    int renamed = 0;
    for (int k = 0; k < list->count(); ++k)
        renamed += list->text(k).startsWith(QStringLiteral("card_")) ? 1 : 0;

    QElapsedTimer plain;
    plain.start();
    const int error = plain_rename_job(folder.constData(), patterns.constData(), "1", "plain_", "");
    const double plainRenameMs = double(plain.nsecsElapsed()) / 1e6;
    plain.start();
    plain_names listed{};
    const int listError = plain_list(folder.constData(), patterns.constData(), &listed);
    const double plainListMs = double(plain.nsecsElapsed()) / 1e6;
    const bool plainListedAll = listError == 0 && listed.count == size_t(before);
    if (listError == 0)
        plain_names_free(&listed);

    std::printf("%.3f %.3f %d %.3f %.3f\n", okMs, gaps.longestMs(), renamed, plainRenameMs,
                plainListMs);
    return watch.painted && okMs >= 0 && ok.others == 0 && renamed == before && error == 0 &&
                   plainListedAll
               ? 0
               : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const char* mode = argc == 4 ? argv[1] : "";
    if (argc == 4) {
        ++argv;
        --argc;
    }
    const bool sortTimes =
        std::strcmp(mode, "--sort-times") == 0 || std::strcmp(mode, "--repaint-gaps") == 0;
    const bool clockOffsets = std::strcmp(mode, "--clock-offsets") == 0;
    const bool shots = std::strcmp(mode, "--shots") == 0;
    if (argc != 3 || (std::strcmp(mode, "") != 0 && std::strcmp(mode, "--question") != 0 &&
                      std::strcmp(mode, "--run") != 0 && std::strcmp(mode, "--ok-to-list") != 0 &&
                      !sortTimes && !clockOffsets && !shots)) {
        std::fputs(
            "usage: tolvane-bench-window [--question | --run | --ok-to-list | --sort-times | "
            "--repaint-gaps | --clock-offsets | --shots] DIR PATTERNS\n",
            stderr);
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
    // The offsets go to a settings file of the run's own, never the one
    // beside the program, which a later run would find them in.
    QTemporaryDir settingsFolder;
    if (clockOffsets || shots)
        setApplicationFolderForTesting(settingsFolder.path());
    MainWindow window;
    window.setExtensionPatterns(fromNative(argv[2]));
    if (shots) {
        for (QAction* action : window.menuBar()->actions().constFirst()->menu()->actions()) {
            if (action->text() == QStringLiteral("同じ名前のファイルに同じ番号を付ける"))
                action->setChecked(true);
        }
    }
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
    int status = 0;
    if (std::strcmp(mode, "--question") == 0)
        status = question(window);
    else if (std::strcmp(mode, "--run") == 0)
        status = run(window, conversionList);
    else if (std::strcmp(mode, "--ok-to-list") == 0)
        status = okToList(window, conversionList, folder, argv[2]);
    else if (sortTimes)
        status =
            sortByShootingTime(window, conversionList, std::strcmp(mode, "--repaint-gaps") == 0);
    else if (clockOffsets)
        status = correctClocks(window, conversionList);
    std::fflush(stdout);
    if (status != 0)
        std::_Exit(status);
    // The measurement is out; tearing down tens of thousands of entries would
    // only lengthen the suite.
    std::_Exit(0);
}
