#include "ui/services/SessionEnd.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

std::function<void()>& handler() {
    static std::function<void()> h;
    return h;
}
bool endRequested = false;

// Written by the signal handler, read by the event loop: a pipe is the one
// thing a signal handler may safely touch.
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

void SessionEnd::install(std::function<void()> onRequest) {
    handler() = std::move(onRequest);
    if (signalPipe[0] >= 0)
        return;
    if (::pipe(signalPipe) != 0)
        return;
    for (const int fd : signalPipe) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char buffer[64];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {
        }
        endRequested = true;
        if (handler())
            handler()();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

bool SessionEnd::requested() {
    return endRequested;
}

void SessionEnd::closeWindows(QWidget& mainWindow) {
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w != &mainWindow && w->isVisible() && w->isModal())
            w->close();
    }
    if (mainWindow.isVisible())
        mainWindow.close();
}
