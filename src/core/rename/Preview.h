#pragma once

#include "core/rename/RenameEngine.h"

#include <QString>

#include <vector>

// What the question before a rename shows in its details: every entry's old
// and new name, in list order, from the very plan the run renames by.

// An entry whose new name will be taken when its turn comes.
struct TakenName {
    int entry = 0;
    // Held by a file of the batch that a later step renames away: with the
    // files allowed to take each other's names, the run would go on there.
    bool byBatchFile = false;

    bool operator==(const TakenName&) const = default;
};

// The entries whose new name will be taken when their turn comes: by a file
// of the target folder that the batch has not renamed away by then, or by
// another entry's new name. A name that a file of the batch gives up before
// its turn, in the plan's order, is free; where the files may take each
// other's names, one held by a file of the batch held up itself is left out.
// ignoresCase: the target's file system does not tell letter case apart. In
// the order of the plan's steps.
std::vector<TakenName> takenNewNames(const RenamePlan& plan,
                                     const std::vector<QByteArray>& targetNames, bool ignoresCase);

// The sidecars among folderNames (the names in the folder the batch's files
// are in) that no shot of the batch takes along, in natural order: those of
// photos that are not listed, or not there at all. Hidden names are left
// out, as the list leaves them out.
std::vector<QByteArray> sidecarsLeft(const RenamePlan& plan,
                                     const std::vector<QByteArray>& folderNames);

// One line an entry, "old → new" as the conversion list shows names; a
// taken line is marked, and the first of them is named first of all. The
// line of a new name the file system cannot hold (the plan's refusal) is
// marked with why, and named first instead: no file will be renamed. Where
// the names show shooting times, one that shows the file's own time for want
// of one from the camera says so. Then the sidecars left as they are, where
// the batch takes shots' sidecars along.
QString previewText(const RenamePlan& plan, const std::vector<TakenName>& taken,
                    const std::vector<QByteArray>& sidecarsLeft = {});

// All of it, with the folders read now.
QString previewText(const RenamePlan& plan);
