// tolvane-bench-times DIR PATTERNS: the program's own way to a shooting time
// for every listed file: the file list's listing, then shootingTime() on each
// file. Prints what tolvane-bench-plain-exif prints, so the two can be
// compared: files, files with a time, files with an Exif time, the sum of the
// times in naive local seconds, and the milliseconds taken. A program of its
// own, so that tolvane-bench never loads libexiv2.

#include <QElapsedTimer>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "core/files/FileListing.h"
#include "core/photo/ShootingTime.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: tolvane-bench-times DIR PATTERNS\n", stderr);
        return 2;
    }
    initializePhotoMetadata();

    QElapsedTimer timer;
    timer.start();
    const QByteArray folder(argv[1]);
    int error = 0;
    const std::vector<ListedFile> files = listMatchingFiles(folder, PatternSet(argv[2]), &error);
    if (error != 0) {
        std::fprintf(stderr, "%s: %s\n", argv[1], std::strerror(error));
        return 1;
    }
    size_t timed = 0;
    size_t withExif = 0;
    int64_t sum = 0;
    for (const ListedFile& file : files) {
        const ShootingTime time = shootingTime(folder + '/' + file.name);
        if (!time.isKnown())
            continue;
        ++timed;
        if (time.source == TimeSource::Exif)
            ++withExif;
        // Whole seconds, rounded down, as the plain contestant counts them.
        sum += time.localMsecs >= 0 ? time.localMsecs / 1000 : (time.localMsecs - 999) / 1000;
    }
    std::printf("%zu files, %zu timed, %zu with exif, sum %" PRId64 ", %lld ms\n", files.size(),
                timed, withExif, sum, static_cast<long long>(timer.elapsed()));
    return 0;
}
