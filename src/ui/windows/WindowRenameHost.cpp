#include "ui/windows/WindowRenameHost.h"

#include "core/common/TaskProgress.h"
#include "core/rename/Preview.h"
#include "core/rename/RenameTexts.h"
#include "core/text/NativeName.h"
#include "ui/services/MessageBoxes.h"
#include "ui/windows/LongCommand.h"

#include <QLineEdit>

#include <utility>

WindowRenameHost::WindowRenameHost(QWidget& window, LongCommand& command, QLineEdit& prefix,
                                   QLineEdit& suffix,
                                   std::function<bool(std::vector<Shot>&)> readTimes)
    : window_(window),
      command_(command),
      prefix_(prefix),
      suffix_(suffix),
      readTimes_(std::move(readTimes)) {}

void WindowRenameHost::refuse(const Refusal& refusal) {
    // The whole box is emptied, not just the offending characters, so the
    // user types the text again knowing what was wrong with it.
    if (refusal.emptiedBox)
        (*refusal.emptiedBox == NameBox::Prefix ? prefix_ : suffix_).clear();
    showMessage(&window_, refusal.message);
}

bool WindowRenameHost::completeShootingTimes(std::vector<Shot>& shots) {
    return readTimes_(shots);
}

bool WindowRenameHost::confirm(const Message& question, const RenamePlan& plan) {
    Message withPreview = question;
    withPreview.details = [&plan] { return previewText(plan); };
    return showMessage(&window_, withPreview) == Answer::Ok;
}

bool WindowRenameHost::goOnUnrecorded(const Message& warning) {
    return showMessage(&window_, warning) == Answer::Ok;
}

RenameOutcome WindowRenameHost::run(const RenamePlan& plan, FileSystem& fs,
                                    JournalWriter& journal) {
    RenameOutcome outcome;
    command_.runInBackground(
        kRenameTitle, plan.count(),
        [&plan](int done) { return displayName(plan.entry(plan.entryInTurn(done)).toByteArray()); },
        [&](TaskProgress& progress) { outcome = renameAll(plan, fs, &progress, journal); });
    return outcome;
}

void WindowRenameHost::report(const Message& stop) {
    // Stopped because the window is closing: no box to wait for an answer
    // (the session may be ending); the journal keeps the undo.
    if (!command_.windowClosing())
        showMessage(&window_, stop);
}
