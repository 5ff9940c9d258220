#pragma once

#include "core/rename/RenameCommand.h"

#include <functional>
#include <vector>

class LongCommand;
class QLineEdit;
class QWidget;

// The rename command as a person meets it in the main window: boxes to read
// and answer, the renames off the window's thread within the window's long
// command, and no report left waiting when the window is closing.
class WindowRenameHost : public RenameCommandHost {
public:
    // readTimes: how the window reads the shooting times files lack, within
    // command; false after 中止.
    WindowRenameHost(QWidget& window, LongCommand& command, QLineEdit& prefix, QLineEdit& suffix,
                     std::function<bool(std::vector<Shot>&)> readTimes);

    void refuse(const Refusal& refusal) override;
    bool completeShootingTimes(std::vector<Shot>& shots) override;
    bool confirm(const Message& question, const RenamePlan& plan) override;
    bool goOnUnrecorded(const Message& warning) override;
    RenameOutcome run(const RenamePlan& plan, FileSystem& fs, JournalWriter& journal) override;
    const BatchHistory* history() const override { return &history_; }
    void report(const Message& stop) override;

private:
    QWidget& window_;
    LongCommand& command_;
    QLineEdit& prefix_;
    QLineEdit& suffix_;
    std::function<bool(std::vector<Shot>&)> readTimes_;
    BatchHistory history_ = BatchHistory::standard();
};
