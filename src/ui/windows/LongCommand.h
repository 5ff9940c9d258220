#pragma once

#include "core/common/TaskProgress.h"

#include <QObject>
#include <QString>

#include <functional>

class LongCommand;
class QTimer;
class QWidget;

// The main window's long commands (変換, 変換を元に戻す, 撮影日時順に並べる),
// one at a time, and what waits for them. From a command's first question to
// its last report the window is busy. A close of the window meanwhile asks
// the work to stop, and the window closes once the command is over; a folder
// handed over or dropped meanwhile opens then instead. Every command ends
// through that one sequence.
class LongCommands : public QObject {
    Q_OBJECT
public:
    // openFolder: how the window opens a folder from outside.
    LongCommands(QWidget& window, std::function<void(const QString&)> openFolder);
    ~LongCommands() override;

    // Runs command with the window busy throughout, then ends it. False, with
    // nothing run, while another command is under way.
    bool run(const std::function<void(LongCommand&)>& command);
    bool isRunning() const { return running_ != nullptr; }
    // Whether a command's work runs off the window's thread right now.
    bool isWorking() const;

    // Whether the window is held: a command, a dialog, a question or a popup
    // menu is open, or the window is not shown yet.
    bool isBusy() const;

    // The window is closing: true when a command is under way, which is asked
    // to stop; the window closes once it is over.
    bool holdClose();

signals:
    // A command began (true) or ended (false).
    void runningChanged(bool running);

public:
    // A folder from outside, opened as soon as the window is free. Only the
    // latest request waits: someone who asks for two folders in a row means
    // to end up in the second.
    void requestFolder(const QString& path);

private:
    void openWaitingFolderWhenFree();

    QWidget& window_;
    std::function<void(const QString&)> openFolder_;
    LongCommand* running_ = nullptr;
    QString waitingFolder_;
    QTimer* retry_;
};

// One long command under way (see LongCommands::run). It owns the stop
// request that its work heeds.
class LongCommand {
public:
    LongCommand(const LongCommand&) = delete;
    LongCommand& operator=(const LongCommand&) = delete;

    // Runs work off the window's thread, a progress window showing once it
    // has lasted half a second (see BackgroundWork.h); returns when it ends.
    void runInBackground(const QString& title, int total, std::function<QString(int)> itemInHand,
                         std::function<void(TaskProgress&)> work);

    // Whether the work was asked to stop: 中止, or the window closing.
    bool stopRequested() const { return progress_.shouldStop(); }
    // The window closes once the command is over: no box is to wait for an
    // answer (the session may be ending).
    bool windowClosing() const { return windowClosing_; }

private:
    friend class LongCommands;
    explicit LongCommand(QWidget& window) : window_(window) {}

    QWidget& window_;
    TaskProgress progress_;
    bool windowClosing_ = false;
    bool working_ = false;
};
