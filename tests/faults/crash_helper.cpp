// Renames the files of one folder the way the rename command does, for the
// crash test to kill at a moment of its choosing: the folder is listed by the
// file list, the start number checked, and the engine run on the real file
// system.
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

#include "rename/FileSystem.h"
#include "rename/NameCheck.h"
#include "rename/RenameCommand.h"
#include "rename/RenameEngine.h"
#include "ui/platform/FileList.h"

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

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fputs("usage: tolvane_crash_helper FOLDER PATTERNS START PREFIX [SUFFIX]\n", stderr);
        return 64;
    }

    FileList file;
    file.setPattern(args[2]);
    file.setPath(args[1]);
    if (file.lastError() != 0)
        return 3;

    RenameJob job;
    job.folderPath = file.Path();
    job.labelCaption = job.folderPath;
    job.startText = args[3];
    job.prefix = args[4];
    job.suffix = args.size() > 5 ? args[5] : QString();
    job.entries = file.names();
    say("listed " + QByteArray::number(qsizetype(job.entries.size())));
    if (NAME_check(job.prefix) == 1 || NAME_check(job.suffix) == 1 ||
        startNumberProblem(job.startText, int(job.entries.size())))
        return 2;

    ReportingFileSystem fs;
    const RenameResult result = RENAME_serial(job, fs);
    say("done " + QByteArray::number(result.renamed) + ' ' + QByteArray::number(result.failure));
    return result.failure == RenameFailure::None ? 0 : 1;
}
