#pragma once

#include <QString>

// Why the system refused a rename, in plain Japanese, for the line of a
// message that says why: the stop of a batch and the report of an undo say
// it in the same words.

// The reason for an error number; an unknown one is given by its number.
QString reasonForError(int error);

// True for the errors a drive brings when it is taken out or fails (a card
// pulled out mid-run, a network share gone): the drive, not the one file, is
// at fault, and whatever was read from it may be stale.
bool isDriveFailure(int error);

// The reason when the folder itself is gone: the system says only that no
// such file or folder exists, and which one the user cannot tell from that.
QString missingFolderReason();
