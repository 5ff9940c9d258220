#pragma once

#include "core/rename/RenameEngine.h"

#include <QString>

#include <vector>

// What the question before a rename shows in its details: every entry's old
// and new name, in list order, from the very plan the run renames by.

// The entries whose new name will be taken when their turn comes: by a file
// of the target folder that the batch has not renamed away by then, or by
// an earlier entry's new name. ignoresCase: the target's file system does
// not tell letter case apart. In list order.
std::vector<int> takenNewNames(const RenamePlan& plan, const std::vector<QByteArray>& targetNames,
                               bool ignoresCase);

// One line an entry, "old → new" as the conversion list shows names; a
// taken line is marked, and the first of them is named first of all. The
// line of a new name the file system cannot hold (the plan's refusal) is
// marked with why, and named first instead: no file will be renamed.
QString previewText(const RenamePlan& plan, const std::vector<int>& taken);

// Both, with the target folder read now.
QString previewText(const RenamePlan& plan);
