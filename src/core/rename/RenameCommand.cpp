#include "core/rename/RenameCommand.h"

#include "core/rename/BatchNaming.h"
#include "core/rename/NameChecks.h"
#include "core/rename/RenameTexts.h"

#include <algorithm>

std::optional<RenameOutcome> runRenameCommand(const RenameRequest& request, FileSystem& fs,
                                              RenameCommandHost& host) {
    if (request.shots.empty()) {
        host.refuse({emptyListMessage(), std::nullopt});
        return std::nullopt;
    }
    if (isRefusedNameText(request.prefix)) {
        host.refuse({nameRefusalMessage(), NameBox::Prefix});
        return std::nullopt;
    }
    if (isRefusedNameText(request.suffix)) {
        host.refuse({nameRefusalMessage(), NameBox::Suffix});
        return std::nullopt;
    }
    // The names are to show when each shot was taken: what the list has not
    // read yet is read now, before anything is asked. A shot's time is its
    // members' earliest, so each of them is read.
    RenameRequest timed;
    const RenameRequest* ready = &request;
    const auto unread = [](const Shot& shot) {
        return std::any_of(shot.members.begin(), shot.members.end(),
                           [](const ListedFile& file) { return !file.time.isKnown(); });
    };
    if (namesShowShootingTimes(request) &&
        std::any_of(request.shots.begin(), request.shots.end(), unread)) {
        timed = request;
        if (!host.completeShootingTimes(timed.shots))
            return std::nullopt;
        ready = &timed;
    }
    const RenamePlan plan = RenamePlan::make(*ready, fs);
    // A start number that cannot number this list, or a row without a time
    // to show, stops here, before the user is asked. A name the file system cannot hold is reported
    // after the question, as the run's stop, with nothing renamed.
    if (plan.refusal() && plan.refusal()->reason != StopReason::UnfitName) {
        host.refuse({refusedMessage(plan, *plan.refusal()), std::nullopt});
        return std::nullopt;
    }
    if (!host.confirm(confirmationMessage(*ready), plan))
        return std::nullopt;
    JournalWriter journal(fs);
    if (const BatchHistory* history = host.history(); history && !plan.refusal()) {
        if (history->record(journal, plan) == JournalState::Failed &&
            !host.goOnUnrecorded(unrecordedWarning()))
            return std::nullopt;
    }
    const RenameOutcome outcome =
        plan.refusal() ? RenameOutcome(*plan.refusal()) : host.run(plan, fs, journal);
    if (const std::optional<Message> stop = stopMessage(plan, outcome))
        host.report(*stop);
    return outcome;
}
