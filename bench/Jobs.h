#pragma once

#include <QByteArray>

#include <optional>
#include <vector>

#include "rename/Message.h"
#include "rename/RenameEngine.h"

// The jobs of tolvane-bench, each on the program's own code: the file list
// the main window reads its folder with, and the rename engine with the real
// file system, fed exactly as the rename command feeds it.

class FileList;

// Points list at folder with the ";"-separated patterns, as a folder change in
// the window does; list.names() then holds the names in the list's order.
void readFolder(FileList& list, const QByteArray& folder, const QByteArray& patterns);

// The same names, read the way the file list reads its folder, but handed
// over instead of held, so that a job can take them without a copy.
std::vector<QByteArray> listedNames(const QByteArray& folder, const QByteArray& patterns,
                                    int* error);

// The batch the rename command hands to the engine for these files when
// neither option box is ticked: serial names, kept in their own folder (the
// destination label follows the folder then).
RenameJob serialJob(const QByteArray& folder, std::vector<QByteArray> entries,
                    const QByteArray& start, const QByteArray& prefix, const QByteArray& suffix);

// What the command refuses before it asks the user: an empty list, a
// forbidden character in the prefix or the suffix. Nothing when it would go
// on. A start number that cannot number the list is left to the engine,
// which refuses it with a failure number of its own before touching a file.
std::optional<Message> commandRefusal(const RenameJob& job);
