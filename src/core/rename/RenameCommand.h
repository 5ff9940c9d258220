#pragma once

#include "core/common/Message.h"
#include "core/rename/BatchHistory.h"
#include "core/rename/RenameEngine.h"

#include <optional>

// The rename command, from the checks before the question to the report of
// a stop. The window, the benchmark and the crash test's helper all run this
// one sequence; what differs between them (a person answering, a progress
// window, a tool printing) is the host's.

// Which name box a refusal is about: the window empties it, so that the user
// types the text again knowing what was wrong with it.
enum class NameBox { Prefix, Suffix };

struct Refusal {
    Message message;
    std::optional<NameBox> emptiedBox;
};

class RenameCommandHost {
public:
    virtual ~RenameCommandHost() = default;
    // The command refuses to start; nothing was touched.
    virtual void refuse(const Refusal& refusal) = 0;
    // Reads the shooting times that the shots' files lack, for names that
    // show them; false when stopped, and then nothing is renamed. Where a
    // host reads none, a name without its time refuses the batch.
    virtual bool completeShootingTimes(std::vector<Shot>& shots) {
        Q_UNUSED(shots);
        return true;
    }
    // The question before any file is touched; true to go on.
    virtual bool confirm(const Message& question, const RenamePlan& plan) = 0;
    // The batch could not be recorded for its undo anywhere: true to rename
    // all the same. No file is touched before the answer.
    virtual bool goOnUnrecorded(const Message& warning) {
        Q_UNUSED(warning);
        return false;
    }
    // Runs the renames, recording each in journal (see renameAll). The
    // window runs them off its own thread.
    virtual RenameOutcome run(const RenamePlan& plan, FileSystem& fs, JournalWriter& journal) {
        return renameAll(plan, fs, nullptr, journal);
    }
    // Where the batches are recorded for their undo; nothing: nowhere.
    virtual const BatchHistory* history() const { return nullptr; }
    // Why the run stopped before its end.
    virtual void report(const Message& stop) = 0;
};

// Runs the command: an empty list, a refused prefix or suffix, a start number
// that cannot number the list and a row whose new name is to show a time
// that cannot be read are refused before the question; otherwise the
// question, the journal (and, where it cannot be written anywhere, the
// warning that asks whether to go on), the run and, when it stopped, its
// report. Nothing when no file was touched (refused, stopped while the
// times were read, or not confirmed).
std::optional<RenameOutcome> runRenameCommand(const RenameRequest& request, FileSystem& fs,
                                              RenameCommandHost& host);
