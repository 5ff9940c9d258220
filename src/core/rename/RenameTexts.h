#pragma once

#include "core/common/Message.h"
#include "core/rename/RenameEngine.h"
#include "core/rename/Undo.h"

#include <QString>

#include <optional>

// Every text the rename command and its undo show the user: their boxes, the
// titles of their questions and progress windows, and the sentences of the
// question's details. They are written out in RenameTexts.cpp, one after the
// other, so that a reader finds them all in one place.

// ---- the rename command -----------------------------------------------------

// The title of the question before a rename, and of its progress window.
extern const QString kRenameTitle;

// The boxes the command shows.
Message emptyListMessage();
Message nameRefusalMessage();
Message badStartNumberMessage();
Message serialOverflowMessage();
// The box for a plan that refuses its batch.
Message refusedMessage(const RenamePlan& plan, const PlanRefusal& refusal);
// The one-line description of the coming names.
QString newNamesDescription(const RenameRequest& request);
Message confirmationMessage(const RenameRequest& request);
// The warning before a batch that cannot be recorded for its undo.
Message unrecordedWarning();
// The report of a run that stopped; nothing when it went through.
std::optional<Message> stopMessage(const RenamePlan& plan, const RenameOutcome& outcome);

// ---- the details of the rename's question (see previewText) -----------------

// What heads the list when no file will be renamed: a new name the file
// system cannot hold.
extern const QString kPreviewUnfitHeading;
// What heads the list when the run will stop at a taken name: held by a
// file outside the batch, or by a file of the batch.
extern const QString kPreviewTakenHeading;
extern const QString kPreviewTakenByBatchHeading;
// The mark on the line of a taken name.
extern const QString kPreviewTakenMark;
// The mark on the line of a name that shows the file's own time, not a
// camera's: that may be the day the file was copied, not the day it was taken.
extern const QString kPreviewFileTimeMark;
// What heads the sidecars that stay as they are.
extern const QString kPreviewSidecarsHeading;

// ---- the undo ---------------------------------------------------------------

// The title of the question before an undo, and of its progress window.
extern const QString kUndoTitle;

// The question before the undo of record's batch, which it names by its
// folder, the number of files to bring back and when it ran; the report of
// files left as they are; and, for an undo stopped on request (中止), where
// it stopped.
Message undoQuestion(const BatchRecord& record);
std::optional<Message> undoReport(const BatchRecord& record, const UndoOutcome& outcome);
std::optional<Message> undoStopMessage(const BatchRecord& record, const UndoOutcome& outcome);
