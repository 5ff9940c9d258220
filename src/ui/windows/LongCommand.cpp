#include "ui/windows/LongCommand.h"

#include "ui/windows/BackgroundWork.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace {

// How often a folder that waits looks again whether it may open: no signal
// tells when a modal window has closed.
constexpr int kRetryMs = 200;

}  // namespace

LongCommands::LongCommands(QWidget& window, std::function<void(const QString&)> openFolder)
    : QObject(&window),
      window_(window),
      openFolder_(std::move(openFolder)),
      retry_(new QTimer(this)) {
    retry_->setSingleShot(true);
    retry_->setInterval(kRetryMs);
    connect(retry_, &QTimer::timeout, this, &LongCommands::openWaitingFolderWhenFree);
}

LongCommands::~LongCommands() = default;

bool LongCommands::run(const std::function<void(LongCommand&)>& command) {
    if (running_)
        return false;
    bool closeWindow = false;
    {
        LongCommand running(window_);
        running_ = &running;
        emit runningChanged(true);
        command(running);
        running_ = nullptr;
        closeWindow = running.windowClosing_;
    }
    emit runningChanged(false);
    if (closeWindow)
        window_.close();
    else
        openWaitingFolderWhenFree();
    return true;
}

bool LongCommands::isWorking() const {
    return running_ != nullptr && running_->working_;
}

bool LongCommands::isBusy() const {
    // The folder waits rather than opening under a command, a dialog or a
    // question: they are about the folder on show (a rename's confirmation
    // names the files listed now, a sort orders them, the extension dialog
    // fills this folder's list), and a new folder underneath would change
    // what the user is answering or take the result meant for another list.
    // It opens once they are over, which keeps the user's request; merely
    // coming to the front would drop it. Before the window first shows,
    // start-up is still choosing the folder.
    return running_ != nullptr || !window_.isVisible() ||
           QApplication::activeModalWidget() != nullptr ||
           QApplication::activePopupWidget() != nullptr;
}

bool LongCommands::holdClose() {
    if (!running_)
        return false;
    // Never in the middle of a batch: it stops after the file in hand and
    // keeps its journal; the window closes after it.
    running_->progress_.stopRequested.store(true);
    running_->windowClosing_ = true;
    return true;
}

void LongCommands::requestFolder(const QString& path) {
    waitingFolder_ = path;
    openWaitingFolderWhenFree();
}

void LongCommands::openWaitingFolderWhenFree() {
    if (waitingFolder_.isEmpty())
        return;
    if (isBusy()) {
        retry_->start();
        return;
    }
    openFolder_(std::exchange(waitingFolder_, QString()));
}

void LongCommand::runInBackground(const QString& title, int total,
                                  std::function<QString(int)> itemInHand,
                                  std::function<void(TaskProgress&)> work) {
    progress_.setDone(0);
    working_ = true;
    ::runInBackground(
        &window_, BackgroundWork{title, total, std::move(itemInHand), std::move(work)}, progress_);
    working_ = false;
}
