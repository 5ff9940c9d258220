// tolvane-bench: the program's file list, rename engine and main window,
// measured against plain system calls. Links the core only, so that the
// whole-process jobs start as lean as the engine allows; the window is
// measured by tolvane-bench-window, a sibling program.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "Jobs.h"
#include "Processes.h"
#include "Suite.h"
#include "core/files/FileList.h"
#include "core/files/Shots.h"
#include "core/rename/FileSystem.h"
#include "core/settings/Settings.h"

namespace {

int usage() {
    std::fputs(
        "usage: tolvane-bench list [--shots] DIR PATTERNS\n"
        "       tolvane-bench rename [--overlaps] [--reverse] DIR PATTERNS START [PREFIX "
        "[SUFFIX]]\n"
        "       tolvane-bench reload [--shots] DIR PATTERNS\n"
        "       tolvane-bench names [COUNT [ROUNDS]]\n"
        "       tolvane-bench suite [--quick] [--verbose] [--disk FOLDER | --card FOLDER]\n",
        stderr);
    return 2;
}

void printName(const QByteArray& name) {
    std::fwrite(name.constData(), 1, size_t(name.size()), stdout);
}

// shots: the files of one name made one shot with their sidecars, as the
// window makes them with 同じ名前のファイルに同じ番号を付ける on, a line a
// shot, its files separated by tabs. This program reads no Exif data (it
// never loads the metadata library), so files of one name are never told
// apart by their times here.
int listCommand(const char* folder, const char* patterns, bool shots) {
    FileList list;
    list.setReadsSidecars(shots);
    readFolder(list, folder, patterns);
    if (list.lastError() != 0) {
        std::fprintf(stderr, "%s: %s\n", folder, std::strerror(list.lastError()));
        return 1;
    }
    if (!shots) {
        for (const ListedFile& file : list.files()) {
            printName(file.name);
            std::putc('\n', stdout);
        }
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    for (const Shot& shot : formShots(list.files(), list.sidecars(), {})) {
        const char* separator = "";
        const auto print = [&separator](const ListedFile& file) {
            std::fputs(separator, stdout);
            printName(file.name);
            separator = "\t";
        };
        std::for_each(shot.members.begin(), shot.members.end(), print);
        std::for_each(shot.sidecars.begin(), shot.sidecars.end(), print);
        std::putc('\n', stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// args: DIR PATTERNS START [PREFIX [SUFFIX]]. overlaps: the files may take
// each other's names (the 設定 menu's item); reverse: the list in reverse
// order, as the user may put it by hand.
int renameCommand(const std::vector<char*>& args, bool overlaps, bool reverse) {
    int error = 0;
    RenameRequest request = serialRequest(args[0], args[1], args[2], args.size() > 3 ? args[3] : "",
                                          args.size() > 4 ? args[4] : "", &error);
    if (error != 0) {
        std::fprintf(stderr, "%s: %s\n", args[0], std::strerror(error));
        return 1;
    }
    request.allowNameOverlaps = overlaps;
    if (reverse)
        std::reverse(request.shots.begin(), request.shots.end());
    PosixFileSystem fileSystem;
    // The batch is recorded where the program records it, beside its settings.
    ToolRenameHost host(true, BatchHistory::standard());
    const std::optional<RenameOutcome> outcome = runRenameCommand(request, fileSystem, host);
    // What the command refuses before it would ask prints nothing.
    if (!outcome)
        return 1;
    std::printf("%d\n", stopNumber(*outcome));
    if (const auto* stopped = std::get_if<RenameStopped>(&*outcome)) {
        std::fprintf(stderr, "(%s)\n", std::strerror(stopped->error));
        return 1;
    }
    if (const auto* refusal = std::get_if<PlanRefusal>(&*outcome)) {
        std::fprintf(stderr, "(%s)\n", std::strerror(refusal->error));
        return 1;
    }
    return 0;
}

int reloadCommand(const char* argv0, const char* folder, const char* patterns, bool shots) {
    const QByteArray window = ownFolder(argv0) + "/tolvane-bench-window";
    const ProcessRun run = shots ? runProcess(window, {window, "--shots", folder, patterns}, true)
                                 : runProcess(window, {window, folder, patterns}, true);
    double ms = 0;
    long peakKiB = 0;
    int count = 0;
    if (!run.started || run.exitCode != 0 ||
        std::sscanf(run.output.constData(), "%lf %ld %d", &ms, &peakKiB, &count) != 3) {
        std::fprintf(stderr, "%s did not measure the folder change\n", window.constData());
        return 1;
    }
    std::printf("%.1f ms for the folder change to %d listed files (peak memory %.1f MiB)\n", ms,
                count, double(peakKiB) / 1024.0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return usage();
    const char* command = argv[1];
    const bool shots = argc == 5 && std::strcmp(argv[2], "--shots") == 0;
    if (std::strcmp(command, "list") == 0 && (argc == 4 || shots))
        return listCommand(argv[argc - 2], argv[argc - 1], shots);
    if (std::strcmp(command, "rename") == 0) {
        bool overlaps = false;
        bool reverse = false;
        std::vector<char*> args;
        for (int k = 2; k < argc; ++k) {
            if (std::strcmp(argv[k], "--overlaps") == 0)
                overlaps = true;
            else if (std::strcmp(argv[k], "--reverse") == 0)
                reverse = true;
            else
                args.push_back(argv[k]);
        }
        if (args.size() < 3 || args.size() > 5)
            return usage();
        return renameCommand(args, overlaps, reverse);
    }
    if (std::strcmp(command, "reload") == 0 && (argc == 4 || shots))
        return reloadCommand(argv[0], argv[argc - 2], argv[argc - 1], shots);
    if (std::strcmp(command, "names") == 0 && argc <= 4) {
        const int count = argc > 2 ? std::atoi(argv[2]) : 32767;
        const int rounds = argc > 3 ? std::atoi(argv[3]) : 41;
        if (count < 1 || rounds < 2)
            return usage();
        return runNamesBench(count, rounds);
    }
    if (std::strcmp(command, "suite") == 0) {
        SuiteOptions options;
        for (int k = 2; k < argc; ++k) {
            if (std::strcmp(argv[k], "--quick") == 0)
                options.quick = true;
            else if (std::strcmp(argv[k], "--verbose") == 0)
                options.verbose = true;
            else if (std::strcmp(argv[k], "--disk") == 0 && k + 1 < argc)
                options.diskFolder = argv[++k];
            else if (std::strcmp(argv[k], "--card") == 0 && k + 1 < argc)
                options.cardFolder = argv[++k];
            else
                return usage();
        }
        options.ownFolder = ownFolder(argv[0]);
        return runSuite(options);
    }
    return usage();
}
