// Renames the files of one folder with the rename command, for the crash
// test to kill at a moment of its choosing: the folder is listed by the file
// list, and the command runs on the real file system with every question
// answered yes, recording the batch among the journals in the folder
// JOURNALS as the window does. Or undoes the newest batch recorded there.
//
// Usage: tolvane_crash_helper [--overlaps] [--reverse] JOURNALS FOLDER PATTERNS START PREFIX
//                             [SUFFIX]
//        tolvane_crash_helper JOURNALS --undo
//
// --overlaps: the files may take each other's names (the 設定 menu's item);
// --reverse: the list in reverse order, as the user may put it by hand.
//
// Standard output: "listed N" once the list is read, then the count of files
// renamed so far after every rename, then "done RENAMED STOP". The exit code
// is 0 when every file was renamed, 1 when the run stopped, 2 when the name
// texts or the start number were refused, 3 when the folder could not be
// read. An undo prints "undone RESTORED LEFT" and exits 0, or 4 when there
// was no journal to undo.

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>

#include "core/files/FileList.h"
#include "core/rename/FileSystem.h"
#include "core/rename/RenameCommand.h"
#include "core/rename/Undo.h"

namespace {

void say(const QByteArray& line) {
    std::fputs(line.constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Tells the world after every rename that went through.
class ReportingFileSystem : public PosixFileSystem {
public:
    int renameNoReplace(const QByteArray& from, const QByteArray& to) override {
        const int error = PosixFileSystem::renameNoReplace(from, to);
        if (error == 0)
            say(QByteArray::number(++renamed_));
        return error;
    }

private:
    int renamed_ = 0;
};

// Answers yes; a refusal or a stop is only counted.
class YesHost : public RenameCommandHost {
public:
    explicit YesHost(const QString& journals) : history_(journals) {}
    void refuse(const Refusal&) override {}
    bool confirm(const Message&, const RenamePlan&) override { return true; }
    bool goOnUnrecorded(const Message&) override { return true; }
    const BatchHistory* history() const override { return &history_; }
    void report(const Message&) override {}

private:
    BatchHistory history_;
};

int undo(const QString& journals) {
    const std::optional<StoredBatch> batch = BatchHistory(journals).newest();
    if (!batch)
        return 4;
    PosixFileSystem fs;
    const UndoOutcome outcome = undoBatch(batch->record, fs);
    const BatchRecord left = remainingAfter(batch->record, outcome);
    rewriteJournal(batch->path, left);
    say("undone " + QByteArray::number(outcome.restored) + ' ' +
        QByteArray::number(qsizetype(left.entries.size())));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    if (args.size() == 3 && args[2] == QLatin1String("--undo"))
        return undo(args[1]);
    const bool overlaps = args.removeAll(QStringLiteral("--overlaps")) > 0;
    const bool reverse = args.removeAll(QStringLiteral("--reverse")) > 0;
    if (args.size() < 6) {
        std::fputs(
            "usage: tolvane_crash_helper [--overlaps] [--reverse] JOURNALS FOLDER PATTERNS START "
            "PREFIX [SUFFIX]\n"
            "       tolvane_crash_helper JOURNALS --undo\n",
            stderr);
        return 64;
    }

    FileList files;
    files.setPattern(args[3]);
    files.setPath(args[2]);
    if (files.lastError() != 0)
        return 3;

    RenameRequest request;
    request.folder = files.path();
    request.destination = request.folder;
    request.startNumber = args[4];
    request.prefix = args[5];
    request.suffix = args.size() > 6 ? args[6] : QString();
    request.shots = oneShotEach(files.files());
    request.allowNameOverlaps = overlaps;
    if (reverse)
        std::reverse(request.shots.begin(), request.shots.end());
    say("listed " + QByteArray::number(qsizetype(request.shots.size())));

    ReportingFileSystem fs;
    YesHost host(args[1]);
    const std::optional<RenameOutcome> outcome = runRenameCommand(request, fs, host);
    if (!outcome)
        return 2;
    say("done " + QByteArray::number(renamedCount(*outcome)) + ' ' +
        QByteArray::number(stopNumber(*outcome)));
    return stopNumber(*outcome) == 0 ? 0 : 1;
}
