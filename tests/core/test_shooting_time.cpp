#include <QtTest>

#include <QDateTime>
#include <QImage>
#include <QTemporaryDir>

#include <exiv2/exiv2.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <optional>
#include <thread>

#include "core/photo/ShootingTime.h"

// exiv2 0.27 hands out its images and streams as std::auto_ptr, which clang
// marks deprecated in C++20; there is no other way to call it.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

// What the table asks a file to be made of.
enum class Make {
    Jpeg,          // a JPEG with the given Exif times
    JpegImageIfd,  // the time in the first directory only, as TIFF/EP files keep it
    JpegWithXmp,   // Exif plus an XMP packet, so that the XMP parser runs too
    JpegOwnXmp,    // the same with a namespace of its own in the packet
    JpegStripped,  // had Exif, then lost it
    Tiff,          // a TIFF with Exif, what most raw formats are built on
    TiffFarOn,     // its directories 128 KiB into the file
    TiffDateCut,   // its date crossing the 64 KiB mark, the directories before it
    PngWithExif,
    PngPlain,
    Garbage,
    Empty,
    Text,
    TiffHeaderOnly,
    Fifo,
};

qint64 naive(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC).toMSecsSinceEpoch();
}

// The instant every fallback file is stamped with, and the test's zone: Japan,
// nine hours ahead and without summer time.
const QDateTime kModified(QDate(2023, 1, 2), QTime(3, 4, 5, 678), Qt::UTC);
const qint64 kModifiedInJapan = naive(2023, 1, 2, 12, 4, 5, 678);

void setZone(const char* zone) {
    qputenv("TZ", zone);
    tzset();
}

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool writeImage(const QString& path, const char* format) {
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::gray);
    return image.save(path, format);
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Edits a file's metadata with the library itself, the way a camera or an
// editor leaves it.
template <typename Edit>
bool editMetadata(const QString& path, Edit edit) {
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(native(path).toStdString());
        image->readMetadata();
        edit(*image);
        image->writeMetadata();
        return true;
    } catch (const std::exception& e) {
        qWarning("exiv2: %s", e.what());
        return false;
    }
}

bool setExif(const QString& path, const QList<std::pair<const char*, QByteArray>>& values,
             bool withXmp = false) {
    return editMetadata(path, [&](Exiv2::Image& image) {
        image.exifData()["Exif.Image.Make"] = std::string("Tolvane Test");
        for (const auto& [key, value] : values) {
            if (!value.isNull())
                image.exifData()[key] = value.toStdString();
        }
        if (withXmp)
            image.xmpData()["Xmp.dc.title"] = std::string("写真");
    });
}

// A packet with a namespace the library does not know, written as text so
// that the namespace is never registered here.
bool setOwnXmp(const QString& path) {
    return editMetadata(path, [](Exiv2::Image& image) {
        image.setXmpPacket(
            "<x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
            "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
            "rdf:about='' xmlns:tolvanetest='http://example.com/tolvane-test/' "
            "tolvanetest:shot='1'/></rdf:RDF></x:xmpmeta>");
        image.writeXmpFromPacket(true);
    });
}

bool stripExif(const QString& path) {
    return editMetadata(path, [](Exiv2::Image& image) { image.clearExifData(); });
}

// The smallest TIFF the metadata library takes to add Exif to (it neither
// creates TIFFs nor takes an empty directory): one directory with the width.
bool makeTiff(const QString& path) {
    return writeBytes(path, QByteArray("II*\0\x08\0\0\0"  // little-endian, IFD at 8
                                       "\x01\0"           // one entry:
                                       "\x00\x01\x03\0\x01\0\0\0\x08\0\0\0"  // width, SHORT, 1, 8
                                       "\0\0\0\0",                           // no next IFD
                                       26));
}

// A TIFF whose directories lie at offset at, as writers that put them after
// the image data leave them: the first holds the width and the place of the
// Exif directory, which holds DateTimeOriginal.
QByteArray tiffWithDirectoriesAt(quint32 at, const QByteArray& dateTime) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out << quint16(0x4949) << quint16(42) << at;
    out.writeRawData(QByteArray(int(at) - 8, '\0').constData(), int(at) - 8);
    out << quint16(2) << quint16(0x100) << quint16(3) << quint32(1) << quint32(8)  // SHORT
        << quint16(0x8769) << quint16(4) << quint32(1) << quint32(at + 30) << quint32(0);
    out << quint16(1) << quint16(0x9003) << quint16(2) << quint32(20) << quint32(at + 48)
        << quint32(0);
    out.writeRawData(dateTime.leftJustified(19, ' ', true).constData(), 19);
    return bytes + '\0';
}

bool setModified(const QString& path, const QDateTime& when) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(when, QFileDevice::FileModificationTime);
}

// What is left in file, which is then closed.
QByteArray readAndClose(FILE* file) {
    QByteArray bytes;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        bytes.append(buffer, qsizetype(n));
    std::fclose(file);
    return bytes;
}

// By native bytes: QFile cannot open a name that is not UTF-8.
QByteArray readAll(const QByteArray& path) {
    FILE* file = std::fopen(path.constData(), "rb");
    return file ? readAndClose(file) : QByteArray();
}

// Runs call with the process's stderr going to a file; returns what was written.
template <typename Call>
QByteArray stderrOf(Call call) {
    std::fflush(stderr);
    FILE* capture = std::tmpfile();
    if (!capture)
        return "no temporary file";
    const int saved = dup(STDERR_FILENO);
    dup2(fileno(capture), STDERR_FILENO);
    call();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::rewind(capture);
    return readAndClose(capture);
}

}  // namespace

Q_DECLARE_METATYPE(Make)
Q_DECLARE_METATYPE(std::optional<qint64>)
Q_DECLARE_METATYPE(TimeSource)

class TestShootingTime : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dir_;
    int count_ = 0;

    QString freshPath(const QByteArray& name) {
        const QString folder = dir_.filePath(QString::number(++count_));
        QDir().mkpath(folder);
        return folder + u'/' + QString::fromUtf8(name);
    }

    // A small JPEG with Exif times, for the cases that need a real photo.
    QString photo(const QByteArray& name, const QByteArray& dateTime,
                  const QByteArray& subSeconds = QByteArray()) {
        const QString path = freshPath(name);
        if (!writeImage(path, "JPG") ||
            !setExif(path, {{"Exif.Photo.DateTimeOriginal", dateTime},
                            {"Exif.Photo.SubSecTimeOriginal", subSeconds}}))
            return QString();
        return path;
    }

    bool make(const QString& path, Make kind, const QByteArray& dateTime,
              const QByteArray& subSeconds) {
        const QList<std::pair<const char*, QByteArray>> photoTimes{
            {"Exif.Photo.DateTimeOriginal", dateTime},
            {"Exif.Photo.SubSecTimeOriginal", subSeconds}};
        switch (kind) {
            case Make::Jpeg:
                return writeImage(path, "JPG") && setExif(path, photoTimes);
            case Make::JpegImageIfd:
                return writeImage(path, "JPG") &&
                       setExif(path, {{"Exif.Image.DateTimeOriginal", dateTime}});
            case Make::JpegWithXmp:
                return writeImage(path, "JPG") && setExif(path, photoTimes, true);
            case Make::JpegOwnXmp:
                return writeImage(path, "JPG") && setExif(path, photoTimes) && setOwnXmp(path);
            case Make::JpegStripped:
                return writeImage(path, "JPG") && setExif(path, photoTimes) && stripExif(path);
            case Make::Tiff:
                return makeTiff(path) && setExif(path, photoTimes);
            case Make::TiffFarOn:
                return writeBytes(path, tiffWithDirectoriesAt(128 * 1024, dateTime));
            case Make::TiffDateCut:
                return writeBytes(path, tiffWithDirectoriesAt(64 * 1024 - 56, dateTime));
            case Make::PngWithExif:
                return writeImage(path, "PNG") && setExif(path, photoTimes);
            case Make::PngPlain:
                return writeImage(path, "PNG");
            case Make::Garbage: {
                QByteArray bytes;
                for (int k = 0; k < 4096; ++k)
                    bytes += char((k * 7919 + 13) % 251);
                return writeBytes(path, bytes);
            }
            case Make::Empty:
                return writeBytes(path, QByteArray());
            case Make::Text:
                return writeBytes(path, "2024:05:12 10:31:07\n撮影日時\n");
            case Make::TiffHeaderOnly:
                // A raw file's first bytes: byte order, magic, and a first
                // directory that points past the end.
                return writeBytes(path, QByteArray("II*\0\x08\0\0\0\xff\xff", 10));
            case Make::Fifo:
                return mkfifo(native(path).constData(), 0600) == 0;
        }
        return false;
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        setZone("Asia/Tokyo");
        initializePhotoMetadata();
    }

    void exifText_data() {
        QTest::addColumn<QByteArray>("dateTime");
        QTest::addColumn<QByteArray>("subSeconds");
        QTest::addColumn<std::optional<qint64>>("expected");
        const std::optional<qint64> none;
        const qint64 base = naive(2024, 5, 12, 10, 31, 7);
        QTest::newRow("plain") << QByteArray("2024:05:12 10:31:07") << QByteArray()
                               << std::optional(base);
        QTest::newRow("trailing nul")
            << QByteArray("2024:05:12 10:31:07\0", 20) << QByteArray() << std::optional(base);
        QTest::newRow("trailing spaces")
            << QByteArray("2024:05:12 10:31:07  ") << QByteArray() << std::optional(base);
        QTest::newRow("sub 250") << QByteArray("2024:05:12 10:31:07") << QByteArray("250")
                                 << std::optional(base + 250);
        QTest::newRow("sub 5") << QByteArray("2024:05:12 10:31:07") << QByteArray("5")
                               << std::optional(base + 500);
        QTest::newRow("sub 0421") << QByteArray("2024:05:12 10:31:07") << QByteArray("0421")
                                  << std::optional(base + 42);
        QTest::newRow("sub 999999") << QByteArray("2024:05:12 10:31:07") << QByteArray("999999")
                                    << std::optional(base + 999);
        QTest::newRow("sub padded") << QByteArray("2024:05:12 10:31:07") << QByteArray(" 25\0", 4)
                                    << std::optional(base + 250);
        QTest::newRow("sub not digits")
            << QByteArray("2024:05:12 10:31:07") << QByteArray("-5") << std::optional(base);
        QTest::newRow("sub hex") << QByteArray("2024:05:12 10:31:07") << QByteArray("1a")
                                 << std::optional(base);
        QTest::newRow("leap day") << QByteArray("2024:02:29 23:59:59") << QByteArray()
                                  << std::optional(naive(2024, 2, 29, 23, 59, 59));
        QTest::newRow("before 1970")
            << QByteArray("1969:12:31 23:59:59") << QByteArray("5") << std::optional(qint64(-500));
        QTest::newRow("zero") << QByteArray("0000:00:00 00:00:00") << QByteArray() << none;
        QTest::newRow("blank") << QByteArray("    :  :     :  :  ") << QByteArray() << none;
        QTest::newRow("empty") << QByteArray() << QByteArray("250") << none;
        QTest::newRow("no leap day") << QByteArray("2023:02:29 10:00:00") << QByteArray() << none;
        QTest::newRow("month 13") << QByteArray("2024:13:01 10:00:00") << QByteArray() << none;
        QTest::newRow("hour 24") << QByteArray("2024:05:12 24:00:00") << QByteArray() << none;
        QTest::newRow("second 60") << QByteArray("2024:05:12 10:31:60") << QByteArray() << none;
        QTest::newRow("dashes") << QByteArray("2024-05-12 10:31:07") << QByteArray() << none;
        QTest::newRow("iso T") << QByteArray("2024:05:12T10:31:07") << QByteArray() << none;
        QTest::newRow("date only") << QByteArray("2024:05:12") << QByteArray() << none;
        QTest::newRow("leading space")
            << QByteArray(" 2024:05:12 10:31:07") << QByteArray() << none;
        QTest::newRow("text after") << QByteArray("2024:05:12 10:31:07x") << QByteArray() << none;
        QTest::newRow("nul inside")
            << QByteArray("2024:05:12\0 10:31:07", 20) << QByteArray() << none;
        QTest::newRow("signs") << QByteArray("+024:05:12 10:31:07") << QByteArray() << none;
    }
    void exifText() {
        QFETCH(QByteArray, dateTime);
        QFETCH(QByteArray, subSeconds);
        QFETCH(std::optional<qint64>, expected);
        const auto toView = [](const QByteArray& b) {
            return std::string_view(b.constData(), size_t(b.size()));
        };
        QCOMPARE(exifTimeFromText(toView(dateTime), toView(subSeconds)), expected);
    }

    // The reader on whole files. exifTime is the expected naive Exif time, or
    // nothing where the file's modification time must stand in.
    void files_data() {
        QTest::addColumn<Make>("kind");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("dateTime");
        QTest::addColumn<QByteArray>("subSeconds");
        QTest::addColumn<std::optional<qint64>>("exifTime");
        const std::optional<qint64> none;
        const QByteArray when = "2024:05:12 10:31:07";
        const qint64 base = naive(2024, 5, 12, 10, 31, 7);
        QTest::newRow("jpeg") << Make::Jpeg << QByteArray("IMG_0001.JPG") << when << QByteArray()
                              << std::optional(base);
        QTest::newRow("jpeg sub-seconds") << Make::Jpeg << QByteArray("a.jpg") << when
                                          << QByteArray("250") << std::optional(base + 250);
        QTest::newRow("jpeg sub-seconds 0421") << Make::Jpeg << QByteArray("a.jpg") << when
                                               << QByteArray("0421") << std::optional(base + 42);
        QTest::newRow("jpeg date with trailing space")
            << Make::Jpeg << QByteArray("a.jpg") << QByteArray("2024:05:12 10:31:07 ")
            << QByteArray() << std::optional(base);
        QTest::newRow("jpeg date, nul, then junk")
            << Make::Jpeg << QByteArray("a.jpg") << QByteArray("2024:05:12 10:31:07\0junk", 24)
            << QByteArray("25\0\x01", 4) << std::optional(base + 250);
        QTest::newRow("time in the first directory") << Make::JpegImageIfd << QByteArray("a.jpg")
                                                     << when << QByteArray() << std::optional(base);
        QTest::newRow("jpeg with xmp") << Make::JpegWithXmp << QByteArray("a.jpg") << when
                                       << QByteArray("5") << std::optional(base + 500);
        QTest::newRow("jpeg with its own xmp namespace")
            << Make::JpegOwnXmp << QByteArray("a.jpg") << when << QByteArray()
            << std::optional(base);
        QTest::newRow("tiff named as raw") << Make::Tiff << QByteArray("DSC_0001.NEF") << when
                                           << QByteArray("07") << std::optional(base + 70);
        QTest::newRow("tiff with its directories far on")
            << Make::TiffFarOn << QByteArray("a.dng") << when << QByteArray()
            << std::optional(base);
        QTest::newRow("tiff with its date across 64 KiB")
            << Make::TiffDateCut << QByteArray("a.nef") << when << QByteArray()
            << std::optional(base);
        QTest::newRow("png with exif") << Make::PngWithExif << QByteArray("a.png") << when
                                       << QByteArray() << std::optional(base);
        QTest::newRow("shift-jis name") << Make::Jpeg << QByteArray("\x8e\xca\x90\x5e.jpg") << when
                                        << QByteArray() << std::optional(base);
        QTest::newRow("name looks like another time")
            << Make::Jpeg << QByteArray("20991231_235959.jpg") << when << QByteArray()
            << std::optional(base);
        QTest::newRow("png without exif")
            << Make::PngPlain << QByteArray("a.png") << QByteArray() << QByteArray() << none;
        QTest::newRow("exif stripped")
            << Make::JpegStripped << QByteArray("a.jpg") << when << QByteArray() << none;
        QTest::newRow("zero date")
            << Make::Jpeg << QByteArray("a.jpg") << QByteArray("0000:00:00 00:00:00")
            << QByteArray("250") << none;
        QTest::newRow("garbage date")
            << Make::Jpeg << QByteArray("a.jpg") << QByteArray("yesterday") << QByteArray() << none;
        QTest::newRow("sub-seconds only")
            << Make::Jpeg << QByteArray("a.jpg") << QByteArray() << QByteArray("250") << none;
        QTest::newRow("garbage as jpg")
            << Make::Garbage << QByteArray("a.jpg") << QByteArray() << QByteArray() << none;
        QTest::newRow("garbage as cr2")
            << Make::Garbage << QByteArray("a.CR2") << QByteArray() << QByteArray() << none;
        QTest::newRow("empty jpg")
            << Make::Empty << QByteArray("a.jpg") << QByteArray() << QByteArray() << none;
        QTest::newRow("text with a date")
            << Make::Text << QByteArray("a.jpg") << QByteArray() << QByteArray() << none;
        QTest::newRow("tiff header only")
            << Make::TiffHeaderOnly << QByteArray("a.cr2") << QByteArray() << QByteArray() << none;
    }
    void files() {
        QFETCH(Make, kind);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, dateTime);
        QFETCH(QByteArray, subSeconds);
        QFETCH(std::optional<qint64>, exifTime);
        // Made under a UTF-8 name, then given its own bytes.
        const QString made = freshPath("made");
        QVERIFY(make(made, kind, dateTime, subSeconds));
        QVERIFY(setModified(made, kModified));
        const QByteArray path = native(QFileInfo(made).path()) + '/' + name;
        QCOMPARE(std::rename(native(made).constData(), path.constData()), 0);
        // QTemporaryDir cannot remove a name that is not UTF-8.
        const auto removeFile = qScopeGuard([&path] { std::remove(path.constData()); });

        // Making the file may have registered namespaces; reading must not.
        Exiv2::XmpProperties::unregisterNs();
        ShootingTime time;
        const QByteArray noise = stderrOf([&] { time = shootingTime(path); });
        QCOMPARE(noise, QByteArray());
        QVERIFY(time.isKnown());
        QCOMPARE(time.source, exifTime ? TimeSource::Exif : TimeSource::FileModified);
        QCOMPARE(time.localMsecs, exifTime ? *exifTime : kModifiedInJapan);
        QCOMPARE(exifShootingTime(path), exifTime);
        // The fuzz target goes through the bytes: it must see what a file does.
        const QByteArray bytes = readAll(path);
        QCOMPARE(exifShootingTimeFromBytes(bytes.constData(), size_t(bytes.size())), exifTime);
        // Namespaces kept from photo to photo would slow every later read.
        QCOMPARE(Exiv2::XmpProperties::nsRegistry_.size(), size_t(0));
    }

    // The camera that comes with an Exif time: make and model, and the
    // body's serial number from the standard tags or a maker's note.
    void cameras_data() {
        QTest::addColumn<QByteArrayList>("tags");  // "Group.Tag=value" of Exif; a time unless "-"
        QTest::addColumn<QByteArrayList>("camera");
        const auto row = [](const char* name, const QByteArrayList& tags, const char* camera) {
            QTest::newRow(name) << tags << QByteArray(camera).split('|');  // make|model|serial
        };
        row("make and model", {"Image.Make=Canon", "Image.Model=Canon EOS R5"},
            "Canon|Canon EOS R5|");
        row("body serial number", {"Image.Make=Canon", "Photo.BodySerialNumber=012345678901"},
            "Canon||012345678901");
        row("a raw file's camera serial number", {"Image.Model=X", "Image.CameraSerialNumber=SN 7"},
            "|X|SN 7");
        row("Canon's note, a number", {"Image.Make=Canon", "Canon.SerialNumber=1234567"},
            "Canon||1234567");
        row("the standard tag before the note",
            {"Image.Make=Canon", "Canon.SerialNumber=5", "Photo.BodySerialNumber=A1"}, "Canon||A1");
        row("padding dropped", {"Image.Make=Canon   ", "Image.Model= EOS R5 \t"}, "Canon|EOS R5|");
        row("Shift-JIS bytes kept", {"Image.Model=\x8e\xca\x90\x5e"}, "|\x8e\xca\x90\x5e|");
        row("no camera named", {}, "||");
        row("a camera, but the file's own time", {"-", "Image.Make=Canon"}, "||");
    }
    void cameras() {
        QFETCH(QByteArrayList, tags);
        QFETCH(QByteArrayList, camera);
        const QString path = freshPath("a.jpg");
        QVERIFY(writeImage(path, "JPG"));
        QVERIFY(editMetadata(path, [&tags](Exiv2::Image& image) {
            if (!tags.contains("-"))
                image.exifData()["Exif.Photo.DateTimeOriginal"] = "2024:05:12 10:31:07";
            for (const QByteArray& tag : tags) {
                const qsizetype equals = tag.indexOf('=');
                if (equals > 0)
                    image.exifData()["Exif." + tag.left(equals).toStdString()] =
                        tag.mid(equals + 1).toStdString();
            }
        }));
        const ShootingTime time = shootingTime(native(path));
        QCOMPARE(time.source, tags.contains("-") ? TimeSource::FileModified : TimeSource::Exif);
        QCOMPARE((QByteArrayList{time.camera.make(), time.camera.model(), time.camera.serial()}),
                 camera);
    }

    // Named pipes, folders and missing files never reach the metadata
    // library: a pipe would block the reader for good. A file that cannot be
    // read says why, as a card pulled out does.
    void notRegularFiles_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<TimeSource>("source");
        QTest::addColumn<int>("error");
        QTest::newRow("named pipe") << "fifo" << TimeSource::FileModified << 0;
        QTest::newRow("folder") << "folder" << TimeSource::FileModified << 0;
        QTest::newRow("missing") << "missing" << TimeSource::None << ENOENT;
        QTest::newRow("dangling link") << "link" << TimeSource::None << ENOENT;
        // A regular file whose every read fails: nothing is mapped at address 0.
        QTest::newRow("read fails") << "/proc/self/mem" << TimeSource::FileModified << EIO;
    }
    void notRegularFiles() {
        QFETCH(QString, what);
        QFETCH(TimeSource, source);
        QFETCH(int, error);
        QString path = freshPath("x.jpg");
        if (what == "fifo")
            QVERIFY(make(path, Make::Fifo, {}, {}));
        else if (what == "folder")
            QVERIFY(QDir().mkpath(path));
        else if (what == "link")
            QVERIFY(QFile::link(path + ".gone", path));
        else if (what.startsWith(u'/'))
            path = what;
        const bool stamped = source == TimeSource::FileModified && !what.startsWith(u'/');
        if (stamped) {
            const timespec times[2] = {{0, UTIME_OMIT}, {kModified.toSecsSinceEpoch(), 678000000}};
            QCOMPARE(utimensat(AT_FDCWD, native(path).constData(), times, 0), 0);
        }
        int readError = -1;
        const ShootingTime time = shootingTime(native(path), &readError);
        QCOMPARE(time.source, source);
        QCOMPARE(readError, error);
        if (stamped)
            QCOMPARE(time.localMsecs, kModifiedInJapan);
        readError = -1;
        QCOMPARE(exifShootingTime(native(path), &readError), std::nullopt);
        QCOMPARE(readError, error);
    }

    void unreadableFile() {
        const QString path = photo("a.jpg", "2024:05:12 10:31:07");
        QVERIFY(!path.isEmpty());
        QVERIFY(setModified(path, kModified));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        // root reads it anyway, and then the Exif time is right.
        const bool readable = QFile(path).open(QIODevice::ReadOnly);
        const ShootingTime time = shootingTime(native(path));
        QVERIFY(time.isKnown());
        QCOMPARE(time.source, readable ? TimeSource::Exif : TimeSource::FileModified);
        QCOMPARE(time.localMsecs, readable ? naive(2024, 5, 12, 10, 31, 7) : kModifiedInJapan);
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    }

    // A cut anywhere gives either the right Exif time or the file's own time,
    // never some other time, and nothing on stderr.
    void truncatedJpeg() {
        const QString source = photo("whole.jpg", "2024:05:12 10:31:07", "250");
        QVERIFY(!source.isEmpty());
        const QByteArray whole = readAll(native(source));
        QVERIFY(whole.size() > 200);
        const qint64 expected = naive(2024, 5, 12, 10, 31, 7, 250);
        const QString path = freshPath("cut.jpg");
        for (qsizetype length = 0; length < whole.size(); ++length) {
            QVERIFY(writeBytes(path, whole.left(length)));
            QVERIFY(setModified(path, kModified));
            ShootingTime time;
            const QByteArray noise = stderrOf([&] { time = shootingTime(native(path)); });
            QVERIFY2(noise.isEmpty(), noise.constData());
            QVERIFY(time.isKnown());
            if (time.source == TimeSource::Exif) {
                QCOMPARE(time.localMsecs, expected);
            } else {
                QCOMPARE(time.localMsecs, kModifiedInJapan);
            }
            const std::optional<qint64> fromBytes =
                exifShootingTimeFromBytes(whole.constData(), size_t(length));
            QVERIFY(!fromBytes || *fromBytes == expected);
        }
        // The whole file does have it: the loop above did not pass by luck.
        QCOMPARE(shootingTime(native(source)).source, TimeSource::Exif);
    }

    // A card pulled out mid-read: a TIFF (the library maps those) shrinks
    // under the reader. A mapped file ends the process with SIGBUS.
    void fileCutWhileRead() {
        const QString path = freshPath("cut.tif");
        QVERIFY(make(path, Make::Tiff, "2024:05:12 10:31:07", {}));
        QByteArray whole = readAll(native(path));
        whole += QByteArray(16 * 1024, '\0');  // pages for a cut to take away
        QVERIFY(writeBytes(path, whole));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        std::atomic<bool> done = false;
        std::thread cutter([&] {
            while (!done && ::ftruncate(file.handle(), 0) == 0 &&
                   ::pwrite(file.handle(), whole.constData(), size_t(whole.size()), 0) > 0) {
            }
        });
        int withExif = 0;
        for (int k = 0; k < 20000; ++k)
            withExif += shootingTime(native(path)).source == TimeSource::Exif ? 1 : 0;
        done = true;
        cutter.join();
        QVERIFY(withExif > 0);  // the file was whole now and then
    }

    // Two cameras in one folder: their names sort apart, their shots
    // interleave, and one counter wrapped. Only the Exif times give the order;
    // the modification times are set against it.
    void twoCameras_data() {
        QTest::addColumn<QByteArrayList>("inShootingOrder");
        QTest::addColumn<QByteArrayList>("times");
        QTest::newRow("interleaved")
            << QByteArrayList{"DSC_0001.JPG", "IMG_0001.jpg", "DSC_0002.JPG", "IMG_0002.jpg"}
            << QByteArrayList{"2024:05:12 10:00:00", "2024:05:12 10:00:01", "2024:05:12 10:00:02",
                              "2024:05:12 10:00:03"};
        QTest::newRow("counter wrapped")
            << QByteArrayList{"IMG_9998.jpg", "DSC_0001.JPG", "IMG_9999.jpg", "IMG_0001.jpg"}
            << QByteArrayList{"2024:05:12 23:59:58", "2024:05:12 23:59:59", "2024:05:13 00:00:00",
                              "2024:05:13 00:00:01"};
        QTest::newRow("same second")
            << QByteArrayList{"P1000010.JPG", "DSCF0001.JPG", "P1000009.JPG"}
            << QByteArrayList{"2024:05:12 10:00:00.05", "2024:05:12 10:00:00.1",
                              "2024:05:12 10:00:00.95"};
    }
    void twoCameras() {
        QFETCH(QByteArrayList, inShootingOrder);
        QFETCH(QByteArrayList, times);
        QList<std::pair<qint64, QByteArray>> read;
        for (qsizetype k = 0; k < inShootingOrder.size(); ++k) {
            const QByteArrayList parts = times[k].split('.');
            const QString path =
                photo(inShootingOrder[k], parts[0], parts.size() > 1 ? parts[1] : QByteArray());
            QVERIFY(!path.isEmpty());
            QVERIFY(setModified(path, kModified.addSecs(-60 * k)));
            const ShootingTime time = shootingTime(native(path));
            QCOMPARE(time.source, TimeSource::Exif);
            read.append({time.localMsecs, inShootingOrder[k]});
        }
        QByteArrayList byName = inShootingOrder;
        std::sort(byName.begin(), byName.end());
        QVERIFY(byName != inShootingOrder);
        std::sort(read.begin(), read.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        QByteArrayList byTime;
        for (const auto& entry : read)
            byTime << entry.second;
        QCOMPARE(byTime, inShootingOrder);
    }

    // A modification time is an instant; the list shows the wall clock of
    // this machine's zone, summer time included.
    void modifiedInLocalTime_data() {
        QTest::addColumn<QByteArray>("zone");
        QTest::addColumn<QDateTime>("instant");
        QTest::addColumn<qint64>("expected");
        const QDateTime winter(QDate(2024, 1, 15), QTime(10, 0, 0, 5), Qt::UTC);
        const QDateTime summer(QDate(2024, 7, 1), QTime(23, 30), Qt::UTC);
        QTest::newRow("tokyo") << QByteArray("Asia/Tokyo") << summer << naive(2024, 7, 2, 8, 30, 0);
        QTest::newRow("utc") << QByteArray("UTC0") << winter << naive(2024, 1, 15, 10, 0, 0, 5);
        QTest::newRow("berlin winter")
            << QByteArray("Europe/Berlin") << winter << naive(2024, 1, 15, 11, 0, 0, 5);
        QTest::newRow("berlin summer")
            << QByteArray("Europe/Berlin") << summer << naive(2024, 7, 2, 1, 30, 0);
        QTest::newRow("new york") << QByteArray("America/New_York") << summer
                                  << naive(2024, 7, 1, 19, 30, 0);
        QTest::newRow("before 1970")
            << QByteArray("Asia/Tokyo") << QDateTime(QDate(1969, 12, 31), QTime(14, 0), Qt::UTC)
            << naive(1969, 12, 31, 23, 0, 0);
    }
    void modifiedInLocalTime() {
        QFETCH(QByteArray, zone);
        QFETCH(QDateTime, instant);
        QFETCH(qint64, expected);
        const QString path = freshPath("a.png");
        QVERIFY(writeImage(path, "PNG"));
        QVERIFY(setModified(path, instant));
        setZone(zone.constData());
        const ShootingTime time = shootingTime(native(path));
        setZone("Asia/Tokyo");
        QVERIFY(time.isKnown());
        QCOMPARE(time.source, TimeSource::FileModified);
        QCOMPARE(time.localMsecs, expected);
        // An Exif time is the camera's clock: no zone moves it.
        const QString exifPath = photo("b.jpg", "2024:05:12 10:31:07");
        setZone(zone.constData());
        const ShootingTime exif = shootingTime(native(exifPath));
        setZone("Asia/Tokyo");
        QCOMPARE(exif.localMsecs, naive(2024, 5, 12, 10, 31, 7));
    }

    void format_data() {
        QTest::addColumn<qint64>("msecs");
        QTest::addColumn<QString>("text");
        QTest::newRow("epoch") << qint64(0) << "1970/01/01 00:00:00";
        QTest::newRow("sub-seconds cut, not rounded")
            << naive(2024, 5, 12, 10, 31, 7, 999) << "2024/05/12 10:31:07";
        QTest::newRow("leap day") << naive(2024, 2, 29, 23, 59, 59) << "2024/02/29 23:59:59";
        QTest::newRow("before 1970") << qint64(-1) << "1969/12/31 23:59:59";
        QTest::newRow("year 1") << naive(1, 1, 1, 0, 0, 0) << "0001/01/01 00:00:00";
        QTest::newRow("year 9999") << naive(9999, 12, 31, 23, 59, 59) << "9999/12/31 23:59:59";
    }
    void format() {
        QFETCH(qint64, msecs);
        QFETCH(QString, text);
        QCOMPARE(formatShootingTime(msecs), text);
    }
};

QTEST_GUILESS_MAIN(TestShootingTime)
#include "test_shooting_time.moc"
