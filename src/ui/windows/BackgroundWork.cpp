#include "ui/windows/BackgroundWork.h"

#include "core/common/TaskProgress.h"
#include "ui/windows/ProgressWindow.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <memory>

namespace {

constexpr int kQuietMs = 500;
// How often the wait looks whether the work has ended, besides being told.
constexpr int kPollMs = 20;

}  // namespace

void runInBackground(QWidget* owner, const BackgroundWork& work, TaskProgress& progress) {
    std::atomic<bool> ended{false};
    std::unique_ptr<QThread> thread(QThread::create([&] {
        work.work(progress);
        ended.store(true);
    }));
    const auto hasEnded = [&ended] { return ended.load(); };

    QEventLoop quiet;
    QObject::connect(thread.get(), &QThread::finished, &quiet, &QEventLoop::quit);
    QTimer poll;
    QElapsedTimer clock;
    QObject::connect(&poll, &QTimer::timeout, &quiet, [&] {
        if (hasEnded() || clock.elapsed() >= kQuietMs)
            quiet.quit();
    });
    clock.start();
    thread->start();
    poll.start(kPollMs);
    // Painting and timers go on; clicks and keys wait until the work is done.
    if (!hasEnded())
        quiet.exec(QEventLoop::ExcludeUserInputEvents);
    poll.stop();

    if (!hasEnded()) {
        ProgressWindow window(owner, work.title, work.total, progress, work.itemInHand, hasEnded);
        // Closes the moment the work ends, not at the window's next look at
        // it (up to a tenth of a second later); the look stays for an end
        // that came before this connection.
        QObject::connect(thread.get(), &QThread::finished, &window, [&window, &hasEnded] {
            if (hasEnded())
                window.accept();
        });
        window.exec();
    }
    thread->wait();
}
