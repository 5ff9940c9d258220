// tolvane-bench-plain-exif DIR PATTERNS: the plain contestant for reading
// shooting times. What a small program does with nothing but exiv2 and the
// system calls: readdir, keep the files whose names end in one of the
// patterns' suffixes ("*.jpg;*.JPEG" keeps names ending in .jpg or .jpeg, in
// any letter case), open each with exiv2 by name, read DateTimeOriginal, and
// fall back to stat's modification time. Prints the number of files, how many
// had an Exif time, the sum of the times in naive local seconds (to check
// against tolvane-bench-times) and the milliseconds taken.

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <exiv2/exiv2.hpp>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"  // exiv2 0.27's std::auto_ptr

namespace {

std::vector<std::string> suffixesOf(const char* patterns) {
    std::vector<std::string> suffixes;
    std::string pattern;
    for (const char* p = patterns;; ++p) {
        if (*p == ';' || *p == '\0') {
            const size_t star = pattern.rfind('*');
            suffixes.push_back(star == std::string::npos ? pattern : pattern.substr(star + 1));
            pattern.clear();
            if (*p == '\0')
                break;
        } else {
            pattern += *p;
        }
    }
    return suffixes;
}

bool endsWithAny(const char* name, const std::vector<std::string>& suffixes) {
    const size_t length = std::strlen(name);
    for (const std::string& suffix : suffixes) {
        if (length >= suffix.size() &&
            strcasecmp(name + length - suffix.size(), suffix.c_str()) == 0)
            return true;
    }
    return false;
}

// "YYYY:MM:DD HH:MM:SS" as naive seconds, or -1.
int64_t exifSeconds(const std::string& text) {
    int y, mo, d, h, mi, s;
    char tail;
    if (std::sscanf(text.c_str(), "%4d:%2d:%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) !=
            6 ||
        y < 1 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59)
        return -1;
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    return int64_t(timegm(&tm));
}

int64_t modifiedSeconds(const std::string& path, bool* ok) {
    struct stat st;
    *ok = stat(path.c_str(), &st) == 0;
    if (!*ok)
        return 0;
    std::tm local{};
    localtime_r(&st.st_mtime, &local);
    return int64_t(timegm(&local));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: tolvane-bench-plain-exif DIR PATTERNS\n", stderr);
        return 2;
    }
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::XmpParser::initialize();
    Exiv2::enableBMFF(true);

    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> suffixes = suffixesOf(argv[2]);
    DIR* dir = opendir(argv[1]);
    if (!dir) {
        std::perror(argv[1]);
        return 1;
    }
    std::vector<std::string> names;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] != '.' && (entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN) &&
            endsWithAny(entry->d_name, suffixes))
            names.emplace_back(entry->d_name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end());

    const Exiv2::ExifKey key("Exif.Photo.DateTimeOriginal");
    size_t withExif = 0;
    size_t timed = 0;
    int64_t sum = 0;
    for (const std::string& name : names) {
        const std::string path = std::string(argv[1]) + '/' + name;
        int64_t seconds = -1;
        try {
            Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
            image->readMetadata();
            const Exiv2::ExifData& exif = image->exifData();
            const auto found = exif.findKey(key);
            if (found != exif.end())
                seconds = exifSeconds(found->toString());
        } catch (...) {
        }
        if (seconds >= 0) {
            ++withExif;
        } else {
            bool ok;
            seconds = modifiedSeconds(path, &ok);
            if (!ok)
                continue;
        }
        ++timed;
        sum += seconds;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::printf("%zu files, %zu timed, %zu with exif, sum %" PRId64 ", %lld ms\n", names.size(),
                timed, withExif, sum, static_cast<long long>(elapsed.count()));
    return 0;
}
