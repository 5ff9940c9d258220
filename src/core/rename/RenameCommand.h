#pragma once

#include "core/common/Message.h"
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
    // Reads the shooting times that files lack, for names that show them;
    // false when stopped, and then nothing is renamed. Where a host reads
    // none, a name without its time refuses the batch.
    virtual bool completeShootingTimes(std::vector<ListedFile>& files) {
        Q_UNUSED(files);
        return true;
    }
    // The question before any file is touched; true to go on.
    virtual bool confirm(const Message& question, const RenamePlan& plan) = 0;
    // Runs the renames, recording the batch in journalPath() for its undo.
    // The window runs them off its own thread.
    virtual RenameOutcome run(const RenamePlan& plan, FileSystem& fs) {
        return renameAll(plan, fs, nullptr, journalPath());
    }
    // Where the batch is recorded; empty: nowhere.
    virtual QString journalPath() const { return QString(); }
    // Why the run stopped before its end.
    virtual void report(const Message& stop) = 0;
};

// Runs the command: an empty list, a refused prefix or suffix, a start number
// that cannot number the list and a file whose new name is to show a time
// that cannot be read are refused before the question; otherwise the
// question, the run and, when it stopped, its report. Nothing when no file
// was touched (refused, stopped while the times were read, or not confirmed).
std::optional<RenameOutcome> runRenameCommand(const RenameRequest& request, FileSystem& fs,
                                              RenameCommandHost& host);

// The boxes the command shows.
Message emptyListMessage();
Message nameRefusalMessage();
Message badStartNumberMessage();
Message serialOverflowMessage();
// The one-line description of the coming names.
QString newNamesDescription(const RenameRequest& request);
Message confirmationMessage(const RenameRequest& request);
// The report of a run that stopped; nothing when it went through.
std::optional<Message> stopMessage(const RenamePlan& plan, const RenameOutcome& outcome);
