#pragma once

#include <QString>

#include <functional>

class QWidget;
struct TaskProgress;

// Long work runs off the window's thread, so the window keeps painting and
// the desktop never takes it for hung. Meanwhile it takes no input. Once the
// work has lasted half a second a modal progress window shows (see
// ProgressWindow), whose 中止 asks the work to stop after the item in hand;
// a quick piece of work shows nothing at all.
struct BackgroundWork {
    QString title;  // the progress window's
    int total = 0;
    std::function<QString(int done)> itemInHand;
    // Runs on the worker thread; reports to progress and heeds its stop.
    std::function<void(TaskProgress& progress)> work;
};

// Returns once the work has ended.
void runInBackground(QWidget* owner, const BackgroundWork& work, TaskProgress& progress);
