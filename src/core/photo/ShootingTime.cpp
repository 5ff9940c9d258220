#include "ShootingTime.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <exiv2/exiv2.hpp>

#include <chrono>
#include <climits>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

// exiv2 0.27 hands out its images and streams as std::auto_ptr, which clang
// marks deprecated in C++20; there is no other way to call it.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

constexpr qint64 kMsecsPerDay = 24 * 60 * 60 * 1000;
constexpr qint64 kEpochJulianDay = 2440588;  // 1970-01-01

qint64 naiveMsecs(QDate date, QTime time) {
    return (date.toJulianDay() - kEpochJulianDay) * kMsecsPerDay + time.msecsSinceStartOfDay();
}

std::string_view trimmedEnd(std::string_view text) {
    while (!text.empty() && (text.back() == '\0' || text.back() == ' '))
        text.remove_suffix(1);
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int number(std::string_view text, size_t from, size_t length) {
    int value = 0;
    for (size_t k = from; k < from + length; ++k)
        value = value * 10 + (text[k] - '0');
    return value;
}

// Milliseconds of a sub-second text: its digits are a decimal fraction, so only
// the first three count and a shorter text is padded ("5" is 500 ms).
int subSecondMsecs(std::string_view text) {
    text = trimmedEnd(text);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    if (text.empty())
        return 0;
    for (char c : text) {
        if (!isDigit(c))
            return 0;
    }
    int msecs = 0;
    for (size_t k = 0; k < 3; ++k)
        msecs = msecs * 10 + (k < text.size() ? text[k] - '0' : 0);
    return msecs;
}

std::mutex xmpMutex;

void lockXmp(void* data, bool lock) {
    auto* mutex = static_cast<std::mutex*>(data);
    if (lock)
        mutex->lock();
    else
        mutex->unlock();
}

std::once_flag initialized;

void initializeOnce() {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    Exiv2::LogMsg::setHandler(nullptr);
    // The lock covers the namespaces the XMP parser registers while it reads
    // a photo's packet, in case anything else in the process reads XMP too.
    Exiv2::XmpParser::initialize(lockXmp, &xmpMutex);
    // The library binds its message catalogue on first use with an unguarded
    // flag; doing that here keeps it off the worker thread.
    Exiv2::exvGettext("");
#ifdef EXV_ENABLE_BMFF
    Exiv2::enableBMFF(true);  // CR3 and HEIF
#endif
}

bool isVideo(int imageType) {
    // Video containers hold no Exif shooting time, and their readers walk the
    // whole file. The numbers are the library's own (riff, mkv, qtime, asf);
    // its video headers do not compile outside the library.
    return imageType == 20 || imageType == 21 || imageType == 22 || imageType == 24;
}

// The datum of key, matched by tag number and directory: ExifData::findKey
// builds every datum's key text to compare it.
const Exiv2::Exifdatum* find(const Exiv2::ExifData& exif, const Exiv2::ExifKey& key) {
    for (const Exiv2::Exifdatum& datum : exif) {
        if (datum.tag() == key.tag() && datum.ifdId() == key.ifdId())
            return &datum;
    }
    return nullptr;
}

// A tag's text as stored, up to its first NUL. toString() would format it
// through a string stream, which costs more than the rest of the lookup.
std::string textOf(const Exiv2::Exifdatum& datum) {
    const long size = datum.size();
    if (size <= 0 || size > 256)  // room for padding; nothing longer is a date
        return {};
    std::string text(size_t(size), '\0');
    datum.copy(reinterpret_cast<Exiv2::byte*>(text.data()), Exiv2::littleEndian);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

std::optional<qint64> exifTimeOf(const Exiv2::ExifData& exif, const Exiv2::ExifKey& dateKey,
                                 const Exiv2::ExifKey* subSecondKey) {
    const Exiv2::Exifdatum* date = find(exif, dateKey);
    if (!date)
        return std::nullopt;
    const Exiv2::Exifdatum* subSeconds = subSecondKey ? find(exif, *subSecondKey) : nullptr;
    return exifTimeFromText(textOf(*date), subSeconds ? textOf(*subSeconds) : std::string());
}

std::optional<qint64> shootingTimeOf(const Exiv2::ExifData& exif) {
    if (exif.empty())
        return std::nullopt;
    // Made once: each key is parsed against the library's tag tables.
    static const Exiv2::ExifKey original("Exif.Photo.DateTimeOriginal");
    static const Exiv2::ExifKey originalSubSeconds("Exif.Photo.SubSecTimeOriginal");
    static const Exiv2::ExifKey firstDirectoryOriginal("Exif.Image.DateTimeOriginal");
    if (auto time = exifTimeOf(exif, original, &originalSubSeconds))
        return time;
    // TIFF/EP files (some raw formats) keep the original time in the first
    // directory instead of the Exif one. The digitised time and the plain
    // DateTime are not used: they are a scan's or an editor's time.
    return exifTimeOf(exif, firstDirectoryOriginal, nullptr);
}

// The XMP parser registers every namespace prefix it meets for the life of
// the process, and each later packet's parse searches them one by one: a
// folder of photos with made-up prefixes would slow down quadratically. None
// of them is needed once a photo has been read. (This drops any namespace
// registered by hand as well; nothing in the program registers one.)
void forgetXmpNamespaces() noexcept {
    try {
        Exiv2::XmpProperties::unregisterNs();
    } catch (...) {
    }
}

// Every exception stays in here: the library throws its own errors on bad
// files, and std::bad_alloc and friends on hostile sizes.
template <typename MakeIo>
std::optional<qint64> readExifTime(MakeIo makeIo) noexcept {
    std::optional<qint64> time;
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(makeIo());
        if (image.get() && !isVideo(image->imageType())) {
            image->readMetadata();
            time = shootingTimeOf(image->exifData());
        }
    } catch (...) {
    }
    forgetXmpNamespaces();
    return time;
}

std::filesystem::path nativePath(const QByteArray& path) {
    return std::filesystem::path(std::string(path.constData(), size_t(path.size())));
}

bool usablePath(const QByteArray& path) {
    // The C library would stop at a NUL and open some other file.
    return !path.isEmpty() && !path.contains('\0');
}

// Only regular files are opened: opening a named pipe blocks until a writer
// comes, which may be never.
bool isRegularFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

std::optional<qint64> exifOfRegularFile(const QByteArray& path) {
    // A FileIo of its own rather than opening by name: the library takes
    // names such as "-" or "http://..." for standard input or the network.
    return readExifTime([&path] {
        return Exiv2::BasicIo::AutoPtr(
            new Exiv2::FileIo(std::string(path.constData(), size_t(path.size()))));
    });
}

}  // namespace

void initializePhotoMetadata() {
    std::call_once(initialized, initializeOnce);
}

std::optional<qint64> exifTimeFromText(std::string_view dateTime, std::string_view subSeconds) {
    constexpr std::string_view kForm = "dddd:dd:dd dd:dd:dd";
    dateTime = trimmedEnd(dateTime);
    if (dateTime.size() != kForm.size())
        return std::nullopt;
    for (size_t k = 0; k < kForm.size(); ++k) {
        if (kForm[k] == 'd' ? !isDigit(dateTime[k]) : dateTime[k] != kForm[k])
            return std::nullopt;
    }
    // QDate and QTime refuse year 0, month 0, day 31 of a short month, hour 24
    // and second 60, which is what cameras with an unset clock write.
    const QDate date(number(dateTime, 0, 4), number(dateTime, 5, 2), number(dateTime, 8, 2));
    const QTime time(number(dateTime, 11, 2), number(dateTime, 14, 2), number(dateTime, 17, 2),
                     subSecondMsecs(subSeconds));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return naiveMsecs(date, time);
}

std::optional<qint64> exifShootingTime(const QByteArray& path) {
    initializePhotoMetadata();
    if (!usablePath(path) || !isRegularFile(nativePath(path)))
        return std::nullopt;
    return exifOfRegularFile(path);
}

std::optional<qint64> exifShootingTimeFromBytes(const char* data, size_t size) {
    initializePhotoMetadata();
    if (!data || size == 0 || size > size_t(LONG_MAX))
        return std::nullopt;
    return readExifTime([data, size] {
        return Exiv2::BasicIo::AutoPtr(
            new Exiv2::MemIo(reinterpret_cast<const Exiv2::byte*>(data), long(size)));
    });
}

ShootingTime shootingTime(const QByteArray& path) {
    initializePhotoMetadata();
    ShootingTime result;
    if (!usablePath(path))
        return result;
    const std::filesystem::path file = nativePath(path);
    if (isRegularFile(file)) {
        if (const std::optional<qint64> exif = exifOfRegularFile(path)) {
            result.localMsecs = *exif;
            result.source = TimeSource::Exif;
            return result;
        }
    }
    std::error_code error;
    const std::filesystem::file_time_type modified = std::filesystem::last_write_time(file, error);
    if (error)
        return result;
    const qint64 msecs = std::chrono::floor<std::chrono::milliseconds>(
                             std::chrono::file_clock::to_sys(modified).time_since_epoch())
                             .count();
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
    result.localMsecs = naiveMsecs(local.date(), local.time());
    result.source = TimeSource::FileModified;
    return result;
}

QString formatShootingTime(qint64 localMsecs) {
    qint64 days = localMsecs / kMsecsPerDay;
    qint64 rest = localMsecs % kMsecsPerDay;
    if (rest < 0) {
        rest += kMsecsPerDay;
        --days;
    }
    const QDate date = QDate::fromJulianDay(days + kEpochJulianDay);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(rest));
    return QStringLiteral("%1/%2/%3 %4:%5:%6")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(time.hour(), 2, 10, QLatin1Char('0'))
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.second(), 2, 10, QLatin1Char('0'));
}
