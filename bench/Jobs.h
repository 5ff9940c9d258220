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
// the window does; list.names() then holds the names in the list's order.
void readFolder(FileList& list, const QByteArray& folder, const QByteArray& patterns);

// The same names, read the way the file list reads its folder, but handed
// over instead of held, so that a job can take them without a copy.
std::vector<QByteArray> listedNames(const QByteArray& folder, const QByteArray& patterns,
                                    int* error);

// The batch the window hands to the rename command for these files when
// neither option box is ticked: serial names, kept in their own folder.
RenameRequest serialRequest(const QByteArray& folder, std::vector<QByteArray> entries,
                            const QByteArray& start, const QByteArray& prefix,
                            const QByteArray& suffix);

// The rename command as a tool runs it: every question answered yes, every
// refusal and stop written to the standard error (when loud).
class ToolRenameHost : public RenameCommandHost {
public:
    explicit ToolRenameHost(bool loud) : loud_(loud) {}
    void refuse(const Refusal& refusal) override;
    bool confirm(const Message&, const RenamePlan&) override { return true; }
    void report(const Message& stop) override;

private:
    bool loud_;
};
