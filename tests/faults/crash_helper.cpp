// Renames the files of one folder with the rename command, for the crash
// test to kill at a moment of its choosing: the folder is listed by the file
// list, and the command runs on the real file system with every question
// answered yes.
//
// Usage: tolvane_crash_helper FOLDER PATTERNS START PREFIX [SUFFIX]
//
// Standard output: "listed N" once the list is read, then the count of files
// renamed so far after every rename, then "done RENAMED FAILURE". The exit
// code is 0 when every file was renamed, 1 when the run stopped at a failure,
// 2 when the name texts or the start number were refused, 3 when the folder
// could not be read.

#include <QCoreApplication>

#include <cstdio>

#include "core/files/FileList.h"
#include "core/rename/FileSystem.h"
#include "core/rename/RenameCommand.h"

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
    void refuse(const Refusal&) override {}
    bool confirm(const Message&, const RenamePlan&) override { return true; }
    void report(const Message&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fputs("usage: tolvane_crash_helper FOLDER PATTERNS START PREFIX [SUFFIX]\n", stderr);
        return 64;
    }

    FileList files;
    files.setPattern(args[2]);
    files.setPath(args[1]);
    if (files.lastError() != 0)
        return 3;

    RenameRequest request;
    request.folder = files.path();
    request.destination = request.folder;
    request.startNumber = args[3];
    request.prefix = args[4];
    request.suffix = args.size() > 5 ? args[5] : QString();
    request.entries = files.names();
    say("listed " + QByteArray::number(qsizetype(request.entries.size())));

    ReportingFileSystem fs;
    YesHost host;
    const std::optional<RenameOutcome> outcome = runRenameCommand(request, fs, host);
    if (!outcome)
        return 2;
    say("done " + QByteArray::number(outcome->renamed) + ' ' +
        QByteArray::number(stopNumber(outcome->stop)));
    return outcome->stop == StopReason::None ? 0 : 1;
}
