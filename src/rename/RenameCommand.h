#pragma once

#include <QString>

#include <optional>

#include "rename/Message.h"

// What the rename command decides before any file is touched. The command
// runs: empty list -> emptyListMessage(); NAME_check of prefix, then suffix;
// startNumberProblem(); confirmationMessage(MES_build(...)); on OK the rename.

Message emptyListMessage();

// The one-line description of the coming names. original: the "own name +
// serial" box is on, which ignores prefix and suffix.
QString MES_build(bool original, const QString& prefix, const QString& suffix);

// The box that asks for OK, Cancel being the default.
Message confirmationMessage(const QString& MES);

// Why the start number cannot start a batch of listCount files, or nothing
// when it can: it must be plain ASCII digits, and neither it nor the last
// serial may pass 32767.
std::optional<Message> startNumberProblem(const QString& startText, int listCount);

// The two refusals of startNumberProblem, also reported by the rename engine
// when it is handed such a start number.
Message badStartNumberMessage();
Message serialOverflowMessage();
