#include "Suite.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <numeric>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <QFile>

#include "Jobs.h"
#include "Processes.h"
#include "core/files/FileList.h"
#include "core/rename/FileSystem.h"
#include "core/rename/RenamePlan.h"
#include "plain.h"

namespace {

using Clock = std::chrono::steady_clock;

// What a card holds and what the extension list takes from it.
constexpr const char* kPatterns = "*.jpg;*.jpeg";
constexpr const char* kStart = "1";
constexpr const char* kPrefix = "card_";

double msSince(Clock::time_point begin) {
    return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
}

double median(std::vector<double> values) {
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// The ratio of two contestants that ran back to back in every round, each
// first in one round and second in the next. A round's own ratio is little
// moved by whatever else the machine is doing then, which the medians of the
// two columns are not; and the geometric mean of two neighbouring rounds
// cancels what going first or second costs (on a disk, the second job of a
// round can pay for the writing back of the first one's). The median of those
// means is the result.
double medianRatio(const std::vector<double>& program, const std::vector<double>& plain) {
    if (program.size() != plain.size() || program.size() < 2)
        return median(program) / median(plain);
    std::vector<double> ratios;
    for (size_t k = 0; k + 1 < program.size(); k += 2)
        ratios.push_back(std::sqrt(program[k] / plain[k] * program[k + 1] / plain[k + 1]));
    return median(ratios);
}

void progress(const char* format, ...) __attribute__((format(printf, 1, 2)));
void progress(const char* format, ...) {
    static const auto start = Clock::now();
    std::fprintf(stderr, "[%5.1f s] ", msSince(start) / 1000.0);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

// ---- folders ---------------------------------------------------------------

// Names as a camera writes them, numbered 1..count without padding, so that
// only a natural sort puts them in order, and created in a shuffled order, so
// that the folder's own order is no help either.
std::vector<QByteArray> cardNames(int count, const char* stem, const char* extension,
                                  unsigned seed) {
    std::vector<int> numbers(static_cast<size_t>(count));
    std::iota(numbers.begin(), numbers.end(), 1);
    std::mt19937 random(seed);
    std::shuffle(numbers.begin(), numbers.end(), random);
    std::vector<QByteArray> names;
    names.reserve(size_t(count));
    for (const int n : numbers)
        names.push_back(QByteArray(stem) + QByteArray::number(n) + extension);
    return names;
}

bool makeFolder(const QByteArray& folder, const std::vector<QByteArray>& names) {
    if (::mkdir(folder.constData(), 0755) != 0)
        return false;
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (dir < 0)
        return false;
    bool ok = true;
    for (const QByteArray& name : names) {
        const int fd = ::openat(dir, name.constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
        if (fd < 0) {
            ok = false;
            break;
        }
        ::close(fd);
    }
    ::close(dir);
    return ok;
}

void removeTree(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        if (entry->d_type == DT_DIR)
            removeTree(folder + '/' + entry->d_name);
        else
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
    ::rmdir(folder.constData());
}

// Writes back what preparing the folders left dirty, so that no contestant
// pays for the journal of the one before.
void settle(const QByteArray& folder) {
#ifdef __linux__
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
#else
    ::sync();
#endif
}

// Every name in folder, in byte order: what a contestant left behind.
std::vector<QByteArray> contents(const QByteArray& folder) {
    std::vector<QByteArray> names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

QByteArray makeRoot(const QByteArray& base) {
    QByteArray pattern = base + "/tolvane-bench-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        return {};
    return pattern;
}

// ---- results ---------------------------------------------------------------

struct Row {
    std::string fs;
    std::string test;
    std::string size;
    std::string unit;  // of the two measured columns
    double program = 0;
    double plain = 0;
    double ratio = 0;
    std::string target;  // empty: shown for information
    bool held = true;
    std::string key;  // in the ratios line; empty: not there
};

struct Suite {
    SuiteOptions options;
    QByteArray bench, plainProgram, window;
    std::vector<int> sizes;         // files renamed in process
    std::vector<int> processSizes;  // files renamed as whole processes
    std::vector<int> renameRounds;  // for each of sizes: small jobs are cheap to repeat
    bool inProcess = true;          // the engine against the bare loop as well
    int listMatching = 0;
    int listOther = 0;
    int listRounds = 0;
    std::vector<Row> rows;
    std::vector<std::string> problems;
    long peakKiB = 0;

    void problem(const std::string& what) {
        progress("PROBLEM: %s", what.c_str());
        problems.push_back(what);
    }

    // limit: the most the ratio may be, 0 for a row shown for information;
    // key: its name in the ratios line, empty to leave it out.
    void addRow(const char* fs, const char* test, const std::string& size, const char* unit,
                double program, double plain, double ratio, double limit, const std::string& key) {
        Row row;
        row.fs = fs;
        row.test = test;
        row.size = size;
        row.unit = unit;
        row.program = program;
        row.plain = plain;
        row.ratio = ratio;
        if (limit > 0) {
            char target[32];
            std::snprintf(target, sizeof target, "<= %g", limit);
            row.target = target;
            row.held = row.ratio <= limit;
        }
        if (!key.empty())
            row.key = std::string(fs) + "." + key;
        rows.push_back(row);
    }

    // With --verbose, every sample of a contestant, in the order taken.
    void showSamples(const char* fs, const std::string& what, const std::vector<double>& values) {
        if (!options.verbose)
            return;
        std::string line;
        char value[32];
        for (const double v : values) {
            std::snprintf(value, sizeof value, " %.2f", v);
            line += value;
        }
        progress("%s: %s:%s", fs, what.c_str(), line.c_str());
    }

    void renameSection(const char* fs, const QByteArray& root);
    void namesSection();
    void listSection(const char* fs, const QByteArray& root);
    void print(double seconds);
};

// The renames that undo a job's renames: every file back to its card name,
// in the order the card's files were made, so that a folder whose listing
// follows the order of its entries lists in that order again.
std::vector<std::pair<QByteArray, QByteArray>> undoRenames(const std::vector<QByteArray>& names) {
    std::vector<QByteArray> sorted = names;
    std::sort(sorted.begin(), sorted.end(), [](const QByteArray& a, const QByteArray& b) {
        return plain_natural_compare(a.constData(), b.constData()) < 0;
    });
    const QByteArray last = QByteArray::number(qsizetype(sorted.size()));
    const qsizetype width = std::max<qsizetype>(last.size(), qsizetype(std::strlen(kStart)));
    std::vector<std::pair<QByteArray, QByteArray>> undo;
    undo.reserve(names.size());
    for (const QByteArray& name : names) {
        const auto at = std::lower_bound(
            sorted.begin(), sorted.end(), name, [](const QByteArray& a, const QByteArray& b) {
                return plain_natural_compare(a.constData(), b.constData()) < 0;
            });
        const QByteArray serial = QByteArray::number(qsizetype(at - sorted.begin()) + 1);
        const QByteArray renamed = kPrefix + QByteArray(width - serial.size(), '0') + serial +
                                   name.mid(name.lastIndexOf('.'));
        undo.emplace_back(renamed, name);
    }
    return undo;
}

bool undo(const QByteArray& folder, const std::vector<std::pair<QByteArray, QByteArray>>& renames) {
    for (const auto& [from, to] : renames) {
        if (::rename((folder + '/' + from).constData(), (folder + '/' + to).constData()) != 0)
            return false;
    }
    return true;
}

void Suite::renameSection(const char* fs, const QByteArray& root) {
    std::vector<double> engineUsAt;
    std::vector<double> bareUsAt;
    for (size_t sizeIndex = 0; sizeIndex < sizes.size(); ++sizeIndex) {
        const int n = sizes[sizeIndex];
        const std::vector<QByteArray> names = cardNames(n, "IMG_", ".JPG", unsigned(n));
        const std::vector<std::pair<QByteArray, QByteArray>> renames = undoRenames(names);
        std::vector<QByteArray> card = names;
        std::sort(card.begin(), card.end());
        std::vector<QByteArray> renamed;
        for (const auto& pair : renames)
            renamed.push_back(pair.first);
        std::sort(renamed.begin(), renamed.end());

        // Two identical folders, made once; after every timed job each goes
        // back to its card names, which costs far less than making it anew.
        // Each folder meets every contestant: the contestants swap folders
        // every other round as well as their turns every round, because a
        // folder's own name costs something in every path lookup and two
        // names never cost quite the same.
        const QByteArray tag = root + "/rename-" + QByteArray::number(n) + "-";
        const QByteArray folders[2] = {tag + "a", tag + "b"};
        if (!makeFolder(folders[0], names) || !makeFolder(folders[1], names)) {
            problem(std::string("cannot prepare the folders in ") + root.constData());
            removeTree(folders[0]);
            removeTree(folders[1]);
            return;
        }
        const auto checkAndUndo = [&](const char* what) {
            for (const QByteArray& folder : folders) {
                if (contents(folder) != renamed)
                    problem(std::string(what) + " left other names than expected, " +
                            std::to_string(n) + " files");
                if (!undo(folder, renames) || contents(folder) != card)
                    problem("cannot bring back the card names, " + std::to_string(n) + " files");
            }
        };

        const bool asProcess =
            std::find(processSizes.begin(), processSizes.end(), n) != processSizes.end();
        const int rounds = renameRounds[sizeIndex];
        std::vector<double> engineUs, bareUs, benchMs, plainMs;
        for (int round = 0; round < rounds && problems.empty(); ++round) {
            progress("%s: renaming %d files, round %d of %d", fs, n, round + 1, rounds);
            const bool swap = (round / 2) % 2 == 1;
            const QByteArray& programFolder = folders[swap ? 1 : 0];
            const QByteArray& plainFolder = folders[swap ? 0 : 1];

            if (inProcess) {
                int error = 0;
                const RenameRequest request =
                    serialRequest(programFolder, kPatterns, kStart, kPrefix, "", &error);
                plain_names listed;
                plain_paths paths{};
                if (error != 0 || plain_list(plainFolder.constData(), kPatterns, &listed) != 0 ||
                    plain_serial_paths(plainFolder.constData(), &listed, kStart, kPrefix, "",
                                       &paths) != 0) {
                    problem("cannot list the prepared folders");
                    break;
                }
                plain_names_free(&listed);
                if (request.shots.size() != size_t(n) || paths.count != size_t(n))
                    problem("the listed files are not the prepared ones");

                // Each timed job starts on a synced file system: right after a
                // job, the journal still writes out its renames, and the next
                // job would pay for them.
                const std::function<void()> engine = [&] {
                    PosixFileSystem fileSystem;
                    // The batch is recorded as the window records it, on the
                    // file system measured.
                    ToolRenameHost host(false, BatchHistory(QFile::decodeName(root + "/journals")));
                    settle(root);
                    const auto begin = Clock::now();
                    const std::optional<RenameOutcome> outcome =
                        runRenameCommand(request, fileSystem, host);
                    engineUs.push_back(msSince(begin) * 1000.0 / n);
                    if (!outcome || !std::holds_alternative<RenameFinished>(*outcome) ||
                        renamedCount(*outcome) != n)
                        problem("the rename command stopped with " +
                                std::to_string(outcome ? stopNumber(*outcome) : -1));
                };
                const std::function<void()> bare = [&] {
                    int renameError = 0;
                    settle(root);
                    const auto begin = Clock::now();
                    const size_t done = plain_rename_paths(&paths, &renameError);
                    bareUs.push_back(msSince(begin) * 1000.0 / n);
                    if (done != paths.count)
                        problem(std::string("the bare loop failed: ") + std::strerror(renameError));
                };
                if (round % 2 == 0) {
                    engine();
                    bare();
                } else {
                    bare();
                    engine();
                }
                plain_paths_free(&paths);
                checkAndUndo("the engine or the bare loop");
            }

            if (asProcess) {
                const auto runJob = [&](const QByteArray& program, const QByteArray& folder,
                                        std::vector<double>& into) {
                    settle(root);
                    const ProcessRun run = runProcess(
                        program, {program, "rename", folder, kPatterns, kStart, kPrefix}, false);
                    into.push_back(run.ms);
                    if (run.exitCode != 0)
                        problem(std::string(program.constData()) + " rename failed");
                };
                // The other way round from the in-process pair, so that each
                // folder has the same history whoever renamed it.
                if (round % 2 == 0) {
                    runJob(bench, plainFolder, benchMs);
                    runJob(plainProgram, programFolder, plainMs);
                } else {
                    runJob(plainProgram, programFolder, plainMs);
                    runJob(bench, plainFolder, benchMs);
                }
                checkAndUndo("a whole-process job");
            }
        }
        // On a card, once at the largest size: the rename through the window,
        // which must keep painting all the while.
        double longestGapMs = -1;
        if (!inProcess && n == sizes.back() && problems.empty()) {
            progress("%s: renaming %d files through the window", fs, n);
            settle(root);
            const ProcessRun run =
                runProcess(window, {window, "--run", folders[0], kPatterns}, true);
            double reloadMs = 0;
            long kib = 0;
            int listed = 0;
            double runMs = 0;
            int renamedCount = 0;
            if (run.exitCode != 0 ||
                std::sscanf(run.output.constData(), "%lf %ld %d %lf %lf %d", &reloadMs, &kib,
                            &listed, &runMs, &longestGapMs, &renamedCount) != 6 ||
                renamedCount != n)
                problem("the window did not rename the card's files");
            else if (!undo(folders[0], renames) || contents(folders[0]) != card)
                problem("cannot bring back the card names after the window's run");
        }
        removeTree(folders[0]);
        removeTree(folders[1]);
        if (longestGapMs >= 0)
            // Against the 100 ms a person notices as a stall.
            addRow(fs, "longest repaint gap, window", std::to_string(n), "ms", longestGapMs, 100,
                   longestGapMs / 100.0, 1.0, "gap." + std::to_string(n));

        const std::string at = " at " + std::to_string(n);
        showSamples(fs, "engine us/file" + at, engineUs);
        showSamples(fs, "bare loop us/file" + at, bareUs);
        showSamples(fs, "tolvane-bench rename ms" + at, benchMs);
        showSamples(fs, "plain rename ms" + at, plainMs);
        const double engine = median(engineUs);
        const double bareLoop = median(bareUs);
        if (inProcess)
            addRow(fs, "rename, in process", std::to_string(n), "us/file", engine, bareLoop,
                   medianRatio(engineUs, bareUs), 1.10, "rename." + std::to_string(n));
        engineUsAt.push_back(engine);
        bareUsAt.push_back(bareLoop);
        if (asProcess)
            addRow(fs, "rename, whole process", std::to_string(n), "ms", median(benchMs),
                   median(plainMs), medianRatio(benchMs, plainMs), n >= 10000 ? 1.10 : 0,
                   "job." + std::to_string(n));
    }
    if (inProcess && sizes.size() >= 2) {
        // Whatever growth the file system itself shows is no fault of the
        // engine: its time per file may grow no faster than the bare loop's.
        const double engineGrowth = engineUsAt.back() / engineUsAt.front();
        const double bareGrowth = bareUsAt.back() / bareUsAt.front();
        addRow(fs, "per-file time growth",
               std::to_string(sizes.front()) + ">" + std::to_string(sizes.back()), "x",
               engineGrowth, bareGrowth, engineGrowth / bareGrowth, 1.10, "growth");
    }
}

void Suite::listSection(const char* fs, const QByteArray& root) {
    const QByteArray folder = root + "/card";
    std::vector<QByteArray> names = cardNames(listMatching, "IMG_", ".JPG", 7);
    const std::vector<QByteArray> others = cardNames(listOther, "IMG_", ".CR2", 11);
    names.insert(names.end(), others.begin(), others.end());
    std::shuffle(names.begin(), names.end(), std::mt19937(13));
    progress("%s: preparing a folder of %zu files", fs, names.size());
    if (!makeFolder(folder, names)) {
        problem(std::string("cannot prepare the folder ") + folder.constData());
        removeTree(folder);
        return;
    }
    settle(root);
    const QByteArray size = QByteArray::number(qsizetype(names.size()));

    // Both contestants must print the very same bytes.
    const ProcessRun benchOut = runProcess(bench, {bench, "list", folder, kPatterns}, true);
    const ProcessRun plainOut =
        runProcess(plainProgram, {plainProgram, "list", folder, kPatterns}, true);
    if (benchOut.exitCode != 0 || plainOut.exitCode != 0 || benchOut.output != plainOut.output ||
        benchOut.output.count('\n') != listMatching)
        problem("tolvane-bench list and the plain listing differ");

    std::vector<double> fileList, plainList, benchMs, plainMs, reloadMs;
    const std::function<void()> contestants[] = {
        [&] {
            FileList list;
            const auto begin = Clock::now();
            readFolder(list, folder, kPatterns);
            fileList.push_back(msSince(begin));
            if (list.lastError() != 0 || int(list.files().size()) != listMatching)
                problem("the file list lost files");
        },
        [&] {
            plain_names listed;
            const auto begin = Clock::now();
            const int error = plain_list(folder.constData(), kPatterns, &listed);
            plainList.push_back(msSince(begin));
            if (error != 0 || listed.count != size_t(listMatching))
                problem("the plain listing lost files");
            if (error == 0)
                plain_names_free(&listed);
        },
        [&] {
            const ProcessRun run = runProcess(bench, {bench, "list", folder, kPatterns}, false);
            benchMs.push_back(run.ms);
            if (run.exitCode != 0)
                problem("tolvane-bench list failed");
        },
        [&] {
            const ProcessRun run =
                runProcess(plainProgram, {plainProgram, "list", folder, kPatterns}, false);
            plainMs.push_back(run.ms);
            if (run.exitCode != 0)
                problem("the plain list failed");
        },
        [&] {
            const ProcessRun run = runProcess(window, {window, folder, kPatterns}, true);
            double ms = 0;
            long selfKiB = 0;
            int count = 0;
            if (run.exitCode != 0 ||
                std::sscanf(run.output.constData(), "%lf %ld %d", &ms, &selfKiB, &count) != 3 ||
                count != listMatching) {
                problem("the main window did not list the folder");
                return;
            }
            reloadMs.push_back(ms);
            peakKiB = std::max(peakKiB, run.peakKiB);
        },
    };
    // Each pair runs back to back, in turns: the file list and the plain
    // listing, the two list processes; then the window.
    static const int firstOrder[] = {0, 1, 2, 3, 4};
    static const int secondOrder[] = {1, 0, 3, 2, 4};
    for (int round = 0; round < listRounds; ++round) {
        progress("%s: listing %s files, round %d of %d", fs, size.constData(), round + 1,
                 listRounds);
        for (const int k : round % 2 == 0 ? firstOrder : secondOrder)
            contestants[k]();
    }
    removeTree(folder);

    showSamples(fs, "file list ms", fileList);
    showSamples(fs, "plain listing ms", plainList);
    showSamples(fs, "tolvane-bench list ms", benchMs);
    showSamples(fs, "plain list ms", plainMs);
    showSamples(fs, "reload ms", reloadMs);
    const std::string files = size.toStdString();
    addRow(fs, "list, in process", files, "ms", median(fileList), median(plainList),
           medianRatio(fileList, plainList), 0, "");
    const double plainProcess = median(plainMs);
    addRow(fs, "list, whole process", files, "ms", median(benchMs), plainProcess,
           medianRatio(benchMs, plainMs), 1.5, "list");
    addRow(fs, "reload, main window", files, "ms", median(reloadMs), plainProcess,
           medianRatio(reloadMs, plainMs), 4, "reload");
}

// ---- names with shooting-time fields -------------------------------------

// Plans of new names, each contestant against one written the same way with
// no field: the names are as long, so the difference is the fields' cost.
struct NameContestant {
    const char* what;
    QString prefix;
    bool perDay;
    std::vector<double> ms;  // a plan, round by round
};

struct NameTimes {
    std::vector<NameContestant> contestants;
    bool wrong = false;
};

// The contestants, in this order: the date typed out, the date field, that
// with serials starting again each day; date and time typed out, their fields.
NameTimes measureNames(int count, int rounds) {
    NameTimes times;
    times.contestants = {
        {"typed out", QStringLiteral("20240512_kyoto_"), false, {}},
        {"date field", QStringLiteral("<年月日>_kyoto_"), false, {}},
        {"date field, each day from the start", QStringLiteral("<年月日>_kyoto_"), true, {}},
        {"date and time typed out", QStringLiteral("20240512_060000_kyoto_"), false, {}},
        {"date and time fields", QStringLiteral("<年月日>_<時分秒>_kyoto_"), false, {}},
    };
    // 2024-05-12 06:00, naive local milliseconds; 97 s apart, so that photo
    // 669 is the first of 2024-05-13, at 00:01:33.
    constexpr qint64 kFirst = (19855LL * 24 + 6) * 3600 * 1000;
    constexpr int kSecondDay = 669;
    RenameRequest request;
    request.folder = request.destination = QStringLiteral(".");
    request.startNumber = QString::fromLatin1(kStart);
    request.shots.reserve(size_t(count));
    for (int k = 0; k < count; ++k) {
        ShootingTime time;
        time.localMsecs = kFirst + qint64(k) * 97 * 1000;
        time.source = TimeSource::Exif;
        request.shots.emplace_back(
            ListedFile{"IMG_" + QByteArray::number(k + 1) + ".JPG", 0, time});
    }
    const int width = int(QByteArray::number(count).size());
    const QByteArray expected[][2] = {
        {"20240512_kyoto_1", "20240512_kyoto_670"},
        {"20240512_kyoto_1", "20240513_kyoto_670"},
        {"20240512_kyoto_1", "20240513_kyoto_1"},
        {"20240512_060000_kyoto_1", "20240512_060000_kyoto_670"},
        {"20240512_060000_kyoto_1", "20240513_000133_kyoto_670"},
    };
    // The name written with the serial padded as the plan pads it.
    const auto padded = [&](const QByteArray& name, int serialWidth) {
        const qsizetype digits = name.size() - name.lastIndexOf('_') - 1;
        return name.left(name.size() - digits) +
               name.right(digits).rightJustified(serialWidth, '0') + ".JPG";
    };

    PosixFileSystem fs;
    const int n = int(times.contestants.size());
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < n; ++turn) {
            const int c = (round + turn) % n;
            NameContestant& contestant = times.contestants[size_t(c)];
            request.prefix = contestant.prefix;
            request.restartSerialsEachDay = contestant.perDay;
            const auto begin = Clock::now();
            const RenamePlan plan = RenamePlan::make(request, fs);
            contestant.ms.push_back(msSince(begin));
            // No day has more than 891 photos.
            const int serialWidth = contestant.perDay ? 3 : width;
            if (plan.refusal() || plan.count() != count ||
                plan.newName(0) != padded(expected[c][0], serialWidth) ||
                (count > kSecondDay &&
                 plan.newName(kSecondDay) != padded(expected[c][1], serialWidth)))
                times.wrong = true;
        }
    }
    return times;
}

void Suite::namesSection() {
    const int count = options.quick ? 1000 : 32767;
    progress("names of %d photos with shooting-time fields", count);
    const NameTimes times = measureNames(count, options.quick ? 4 : 41);
    if (times.wrong)
        problem("a plan of names with shooting-time fields is wrong");
    const std::vector<double>& typedOut = times.contestants[0].ms;
    const std::vector<double>& fields = times.contestants[1].ms;
    showSamples("mem", "names typed out ms", typedOut);
    showSamples("mem", "names with date fields ms", fields);
    addRow("mem", "names, date fields", std::to_string(count), "ms", median(fields),
           median(typedOut), medianRatio(fields, typedOut), 1.10, "names");
}

void Suite::print(double seconds) {
    std::printf(
        "\ntolvane-bench suite%s: medians, contestants alternating round by round;\n"
        "ratio: the median over pairs of rounds (one in each order) of their ratios\n",
        options.quick ? " --quick (small folders: the targets are not judged)" : "");
    std::string rounds;
    for (size_t k = 0; k < sizes.size(); ++k)
        rounds += (k ? ", " : "") + std::to_string(renameRounds[k]) + " of " +
                  std::to_string(sizes[k]) + " files";
    std::printf("rename rounds: %s; list and reload: %d rounds\n\n", rounds.c_str(), listRounds);
    std::printf("%-6s %-22s %12s %8s %10s %10s %7s %8s %5s\n", "fs", "test", "files", "unit",
                "program", "plain", "ratio", "target", "held");
    for (const Row& row : rows) {
        std::printf("%-6s %-22s %12s %8s %10.2f %10.2f %7.3f %8s %5s\n", row.fs.c_str(),
                    row.test.c_str(), row.size.c_str(), row.unit.c_str(), row.program, row.plain,
                    row.ratio, row.target.empty() ? "-" : row.target.c_str(),
                    row.target.empty() || options.quick ? "-" : (row.held ? "yes" : "NO"));
    }
    const double peakMiB = double(peakKiB) / 1024.0;
    if (listRounds > 0)
        std::printf("%-6s %-22s %12s %8s %10.1f %10s %7s %8s %5s\n", "", "peak memory, window",
                    std::to_string(listMatching + listOther).c_str(), "MiB", peakMiB, "", "",
                    "< 100", options.quick ? "-" : (peakMiB < 100 ? "yes" : "NO"));
    std::printf("\nsuite took %.0f s%s\n", seconds,
                problems.empty() ? "" : "; PROBLEMS above: results are not comparable");
    std::string ratios = "RATIOS";
    char value[64];
    for (const Row& row : rows) {
        if (row.key.empty())
            continue;
        std::snprintf(value, sizeof value, " %s=%.3f", row.key.c_str(), row.ratio);
        ratios += value;
    }
    if (listRounds > 0) {
        std::snprintf(value, sizeof value, " peak_mib=%.1f", peakMiB);
        ratios += value;
    }
    std::printf("%s\n", ratios.c_str());
}

}  // namespace

int runSuite(const SuiteOptions& options) {
    const auto begin = Clock::now();
    Suite suite;
    suite.options = options;
    suite.bench = options.ownFolder + "/tolvane-bench";
    suite.plainProgram = options.ownFolder + "/tolvane-bench-plain";
    suite.window = options.ownFolder + "/tolvane-bench-window";
    for (const QByteArray& program : {suite.bench, suite.plainProgram, suite.window}) {
        if (::access(program.constData(), X_OK) != 0) {
            std::fprintf(stderr, "%s is missing\n", program.constData());
            return 1;
        }
    }
    if (!options.cardFolder.isEmpty()) {
        // A card takes milliseconds a rename, the more the fuller its
        // folder: 20 000 files take a minute a job or more, and as long again
        // to bring back. Small jobs there stall now and then for a second or
        // so, whoever runs: rounds enough that the median passes over that.
        suite.sizes = {2000, 20000};
        suite.processSizes = suite.sizes;
        suite.renameRounds = {10, 2};
        suite.inProcess = false;
    } else if (options.quick) {
        suite.sizes = {100, 400};
        suite.processSizes = {400};
        suite.renameRounds = {2, 2};
        suite.listMatching = 600;
        suite.listOther = 400;
        suite.listRounds = 2;
    } else {
        suite.sizes = {1000, 10000, 32767};
        suite.processSizes = {1000, 10000, 32767};
        suite.renameRounds = {20, 12, 8};
        suite.listMatching = 32767;
        suite.listOther = 30000;
        suite.listRounds = 8;
    }

    struct Place {
        const char* fs;
        QByteArray base;
    };
    std::vector<Place> places;
    struct stat st;
    if (!options.cardFolder.isEmpty()) {
        places.push_back({"card", options.cardFolder});
    } else {
        if (::stat("/dev/shm", &st) == 0 && S_ISDIR(st.st_mode))
            places.push_back({"tmpfs", "/dev/shm"});
        places.push_back(
            {"disk", options.diskFolder.isEmpty() ? QByteArray(".") : options.diskFolder});
    }

    for (const Place& place : places) {
        const QByteArray root = makeRoot(place.base);
        if (root.isEmpty()) {
            suite.problem(std::string("cannot make a folder in ") + place.base.constData());
            continue;
        }
        std::printf("%s: %s\n", place.fs, root.constData());
        suite.renameSection(place.fs, root);
        if (suite.listRounds > 0)
            suite.listSection(place.fs, root);
        removeTree(root);
    }
    if (options.cardFolder.isEmpty())
        suite.namesSection();
    suite.print(std::chrono::duration<double>(Clock::now() - begin).count());
    return suite.problems.empty() ? 0 : 1;
}

int runNamesBench(int count, int rounds) {
    const NameTimes times = measureNames(count, rounds);
    if (times.wrong) {
        std::fputs("a plan of names with shooting-time fields is wrong\n", stderr);
        return 1;
    }
    std::printf("names of %d photos, %d rounds, medians of a plan:\n", count, rounds);
    for (size_t c = 0; c < times.contestants.size(); ++c) {
        const NameContestant& contestant = times.contestants[c];
        // Each field's contestant against the text it writes, typed out.
        const NameContestant& base = times.contestants[c < 3 ? 0 : 3];
        std::printf("  %-36s %7.2f ms  x%.3f\n", contestant.what, median(contestant.ms),
                    medianRatio(contestant.ms, base.ms));
    }
    return 0;
}
