#include "ShootingTime.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <exiv2/exiv2.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <mutex>
#include <string>

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

// Set when the library reports an error while it reads, such as a directory
// or an entry that points past the end of the bytes it was given; the
// messages themselves are dropped (the library would write them to stderr).
thread_local bool metadataErrorMet = false;

void noteMetadataError(int /*level*/, const char* /*message*/) {
    metadataErrorMet = true;
}

std::once_flag initialized;

void initializeOnce() {
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::error);
    Exiv2::LogMsg::setHandler(noteMetadataError);
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

// A tag's text as stored, up to its first NUL. toString() would format it
// through a string stream, which costs more than the rest of the lookup.
std::string textOf(const Exiv2::Exifdatum& datum) {
    const long size = datum.size();
    if (size <= 0 || size > 256)  // room for padding; nothing longer is a date or a name
        return {};
    std::string text(size_t(size), '\0');
    datum.copy(reinterpret_cast<Exiv2::byte*>(text.data()), Exiv2::littleEndian);
    text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
    return text;
}

// A camera's name or number as stored, without the spaces, NULs and other
// control characters that cameras pad their fixed-size fields with.
QByteArray nameOf(const Exiv2::Exifdatum& datum) {
    QByteArray text;
    if (datum.typeId() == Exiv2::asciiString || datum.typeId() == Exiv2::undefined) {
        const std::string stored = textOf(datum);
        text = QByteArray(stored.data(), qsizetype(stored.size()));
    } else if (datum.count() == 1 && datum.size() <= 8) {
        // A number (Canon's serial number): its decimal digits.
        text = QByteArray::number(qlonglong(datum.toLong()));
    }
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && uchar(text[from]) <= ' ')
        ++from;
    while (to > from && uchar(text[to - 1]) <= ' ')
        --to;
    return text.mid(from, to - from);
}

// The tags a read looks at, each matched by tag number and directory in one
// pass over the data: ExifData::findKey builds every datum's key text to
// compare it.
enum Wanted : size_t {
    Original,
    OriginalSubSeconds,
    FirstDirectoryOriginal,
    Make,
    Model,
    // The body's serial number, the standard tags first, then those of
    // makers' notes (the library decodes them as it reads the Exif data).
    FirstSerial,
    WantedCount = FirstSerial + 11,
};
constexpr size_t kWantedCount = WantedCount;

struct WantedKey {
    uint16_t tag;
    int directory;
};

std::array<WantedKey, kWantedCount> wantedKeys() {
    static const char* const names[kWantedCount] = {
        "Exif.Photo.DateTimeOriginal",
        "Exif.Photo.SubSecTimeOriginal",
        "Exif.Image.DateTimeOriginal",
        "Exif.Image.Make",
        "Exif.Image.Model",
        "Exif.Photo.BodySerialNumber",
        "Exif.Image.CameraSerialNumber",
        "Exif.Canon.SerialNumber",
        "Exif.Nikon3.SerialNumber",
        "Exif.Fujifilm.SerialNumber",
        "Exif.OlympusEq.SerialNumber",
        "Exif.Olympus.SerialNumber2",
        "Exif.Pentax.SerialNumber",
        "Exif.PentaxDng.SerialNumber",
        "Exif.Sigma.SerialNumber",
        "Exif.Panasonic.InternalSerialNumber",
    };
    std::array<WantedKey, kWantedCount> keys{};
    for (size_t k = 0; k < kWantedCount; ++k) {
        const Exiv2::ExifKey key(names[k]);
        keys[k] = {key.tag(), key.ifdId()};
    }
    return keys;
}

using Found = std::array<const Exiv2::Exifdatum*, kWantedCount>;

Found findWanted(const Exiv2::ExifData& exif) {
    // Made once: each key is parsed against the library's tag tables.
    static const std::array<WantedKey, kWantedCount> keys = wantedKeys();
    Found found{};
    for (const Exiv2::Exifdatum& datum : exif) {
        const uint16_t tag = datum.tag();
        for (size_t k = 0; k < kWantedCount; ++k) {
            if (keys[k].tag == tag && !found[k] && keys[k].directory == datum.ifdId()) {
                found[k] = &datum;
                break;
            }
        }
    }
    return found;
}

std::optional<qint64> exifTimeOf(const Exiv2::Exifdatum* date, const Exiv2::Exifdatum* subSeconds) {
    if (!date)
        return std::nullopt;
    return exifTimeFromText(textOf(*date), subSeconds ? textOf(*subSeconds) : std::string());
}

std::optional<qint64> shootingTimeOf(const Found& found) {
    if (auto time = exifTimeOf(found[Original], found[OriginalSubSeconds]))
        return time;
    // TIFF/EP files (some raw formats) keep the original time in the first
    // directory instead of the Exif one. The digitised time and the plain
    // DateTime are not used: they are a scan's or an editor's time.
    return exifTimeOf(found[FirstDirectoryOriginal], nullptr);
}

Camera cameraOf(const Found& found) {
    QByteArray make;
    QByteArray model;
    QByteArray serial;
    if (found[Make])
        make = nameOf(*found[Make]);
    if (found[Model])
        model = nameOf(*found[Model]);
    for (size_t k = FirstSerial; k < kWantedCount && serial.isEmpty(); ++k) {
        if (found[k])
            serial = nameOf(*found[k]);
    }
    return Camera(std::move(make), std::move(model), std::move(serial));
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

// A file's first bytes, handed to the metadata library in place of the file.
// The library's own file reader maps TIFF-based raw files into memory, and a
// mapped file whose card is pulled out ends the process with SIGBUS; a read
// only fails. The stream notes a read or seek that met the end of the bytes.
// (The TIFF parsers take the bytes as one block instead, and report an
// error for a directory or entry past its end.)
class FileStartIo : public Exiv2::MemIo {
public:
    FileStartIo(const char* data, size_t size)
        : MemIo(reinterpret_cast<const Exiv2::byte*>(data), long(size)) {}

    bool ranOut() const { return ranOut_; }

    long read(Exiv2::byte* buffer, long count) override {
        const long got = MemIo::read(buffer, count);
        noteEnd();
        return got;
    }
    Exiv2::DataBuf read(long count) override {
        Exiv2::DataBuf bytes = MemIo::read(count);
        noteEnd();
        return bytes;
    }
    int getb() override {
        const int byte = MemIo::getb();
        noteEnd();
        return byte;
    }
    int seek(long offset, Position from) override {
        const int failed = MemIo::seek(offset, from);
        noteEnd();
        return failed;
    }

private:
    void noteEnd() { ranOut_ = ranOut_ || eof(); }

    bool ranOut_ = false;
};

// What a file's Exif data says: the time and the camera whose clock wrote it.
struct ExifFacts {
    std::optional<qint64> time;
    Camera camera;
};

struct ExifRead {
    ExifFacts facts;
    bool wantedMore = false;  // the bytes may have ended before the metadata did
};

// Every exception stays in here: the library throws its own errors on bad
// files, and std::bad_alloc and friends on hostile sizes.
ExifRead readExifTime(const char* data, size_t size) noexcept {
    ExifRead read;
    metadataErrorMet = false;
    try {
        auto* io = new FileStartIo(data, size);
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(Exiv2::BasicIo::AutoPtr(io));
        if (image.get() && !isVideo(image->imageType())) {
            try {
                image->readMetadata();
            } catch (...) {
                read.wantedMore = true;
            }
            // A parse that stopped part-way keeps what it had decoded: a
            // JPEG's Exif segment is read in full before it is decoded, and
            // a date that the end of the bytes cut short is no date.
            const Found found = findWanted(image->exifData());
            read.facts.time = shootingTimeOf(found);
            if (read.facts.time)
                read.facts.camera = cameraOf(found);
            read.wantedMore = read.wantedMore || io->ranOut() || metadataErrorMet;
        }
    } catch (...) {
    }
    forgetXmpNamespaces();
    return read;
}

bool usablePath(const QByteArray& path) {
    // The C library would stop at a NUL and open some other file.
    return !path.isEmpty() && !path.contains('\0');
}

// The first read covers the metadata of every common format: a JPEG's Exif
// segment comes first and is at most 64 KiB, and raw files keep their
// directories near the start. Past that the read grows eightfold while the
// library runs out, up to a limit that the largest raw files stay under.
constexpr qint64 kFirstRead = 64 * 1024;
constexpr qint64 kGrowth = 8;
constexpr qint64 kMostRead = 128 * 1024 * 1024;

// Reads into bytes from its end up to wanted bytes, or fewer at the file's
// end; false with *error set when a read fails.
bool readMore(int file, QByteArray& bytes, qint64 wanted, int* error) {
    qint64 got = bytes.size();
    bytes.resize(wanted);
    while (got < wanted) {
        const ssize_t n = ::pread(file, bytes.data() + got, size_t(wanted - got), off_t(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = errno;
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    bytes.resize(got);
    return true;
}

ExifFacts exifOfOpenFile(int file, qint64 fileSize, int* error) {
    QByteArray bytes;
    // One byte past the size the system gave, so that the first read already
    // meets the end of a small file.
    qint64 wanted = std::min(kFirstRead, std::max<qint64>(fileSize, 0) + 1);
    for (;;) {
        if (!readMore(file, bytes, wanted, error))
            return {};
        if (bytes.isEmpty())
            return {};
        const bool whole = bytes.size() < wanted;
        const ExifRead read = readExifTime(bytes.constData(), size_t(bytes.size()));
        // A time found is taken as it is: a first directory's time whose Exif
        // directory lay further on could differ from it, which no camera
        // writes, and reading a whole raw file for that would cost far more.
        if (read.facts.time || whole || !read.wantedMore || wanted >= kMostRead)
            return read.facts;
        wanted = std::min(std::max(wanted, kFirstRead) * kGrowth, kMostRead);
    }
}

// The file's Exif time. Only regular files are opened: opening a named pipe
// blocks until a writer comes, which may be never (and it is opened without
// waiting, in case one took the file's place since info was read).
ExifFacts exifOfFile(const QByteArray& path, const struct stat& info, int* error) {
    if (!S_ISREG(info.st_mode))
        return {};
    const int file = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (file < 0) {
        *error = errno;
        return {};
    }
    ExifFacts facts = exifOfOpenFile(file, qint64(info.st_size), error);
    ::close(file);
    return facts;
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

std::optional<qint64> exifShootingTime(const QByteArray& path, int* readError) {
    initializePhotoMetadata();
    int error = 0;
    std::optional<qint64> time;
    struct stat info {};
    if (usablePath(path)) {
        if (::stat(path.constData(), &info) != 0)
            error = errno;
        else
            time = exifOfFile(path, info, &error).time;
    }
    if (readError)
        *readError = error;
    return time;
}

std::optional<qint64> exifShootingTimeFromBytes(const char* data, size_t size) {
    initializePhotoMetadata();
    if (!data || size == 0 || size > size_t(LONG_MAX))
        return std::nullopt;
    return readExifTime(data, size).facts.time;
}

ShootingTime shootingTime(const QByteArray& path, int* readError) {
    initializePhotoMetadata();
    ShootingTime result;
    int error = 0;
    struct stat info {};
    if (!usablePath(path)) {
        // no such file, and no system call to say so
    } else if (::stat(path.constData(), &info) != 0) {
        error = errno;
    } else if (ExifFacts exif = exifOfFile(path, info, &error); exif.time) {
        result.localMsecs = *exif.time;
        result.source = TimeSource::Exif;
        result.camera = std::move(exif.camera);
    } else {
        // The seconds round down, also before 1970: the nanoseconds count up.
        const qint64 msecs = qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
        const QDateTime local = QDateTime::fromMSecsSinceEpoch(msecs, Qt::LocalTime);
        result.localMsecs = naiveMsecs(local.date(), local.time());
        result.source = TimeSource::FileModified;
    }
    if (readError)
        *readError = error;
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
