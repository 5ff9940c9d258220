#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

#include "core/rename/RenameCommand.h"

// The jobs of tolvane-bench, each on the program's own code: the file list
// the main window reads its folder with, and the rename command with the
// real file system, fed exactly as the main window feeds it.

class FileList;

// Points list at folder with the ";"-separated patterns, as a folder change in
// the window does; list.files() then holds the files in the list's order.
void readFolder(FileList& list, const QByteArray& folder, const QByteArray& patterns);

// The batch the window hands to the rename command for the files of folder
// that match patterns, read the way the file list reads them, when neither
// option box is ticked: serial names, kept in their own folder. *error gets
// the listing's errno.
RenameRequest serialRequest(const QByteArray& folder, const QByteArray& patterns,
                            const QByteArray& start, const QByteArray& prefix,
                            const QByteArray& suffix, int* error);

// The rename command as a tool runs it: every question answered yes, every
// refusal and stop written to the standard error (when loud), the batch
// recorded for its undo among history's journals, as the window records it.
class ToolRenameHost : public RenameCommandHost {
public:
    ToolRenameHost(bool loud, BatchHistory history) : loud_(loud), history_(std::move(history)) {}
    void refuse(const Refusal& refusal) override;
    bool confirm(const Message&, const RenamePlan&) override { return true; }
    bool goOnUnrecorded(const Message&) override { return true; }
    const BatchHistory* history() const override { return &history_; }
    void report(const Message& stop) override;

private:
    bool loud_;
    BatchHistory history_;
};
