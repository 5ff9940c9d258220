// tolvane-bench-make-photos DIR COUNT: COUNT small JPEGs with Exif in DIR,
// IMG_00001.jpg and on, for the shooting-time benchmark. One photo is made
// with QImage and exiv2; every copy gets its own time by rewriting the date
// text in place (the same length, so no offset in the file moves). The times
// do not follow the names, and every tenth file has a zero date, so that the
// readers also fall back to the modification time. Two bodies of one model
// took them by turns (their serial numbers differ), so that the camera
// clock dialog has two cameras to list.

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QImage>

#include <cstdio>
#include <cstdlib>

#include <exiv2/exiv2.hpp>

#pragma GCC diagnostic ignored "-Wdeprecated-declarations"  // exiv2 0.27's std::auto_ptr

namespace {

const char kDate[] = "2024:05:12 10:31:07";
const char kFirstBody[] = "TLV-0001";
const char kSecondBody[] = "TLV-0002";

QByteArray templatePhoto(const QString& path) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    if (!image.save(path, "JPG", 60))
        return {};
    Exiv2::Image::AutoPtr photo = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
    photo->readMetadata();
    photo->exifData()["Exif.Image.Make"] = std::string("Tolvane");
    photo->exifData()["Exif.Image.Model"] = std::string("Tolvane One");
    photo->exifData()["Exif.Photo.BodySerialNumber"] = std::string(kFirstBody);
    photo->exifData()["Exif.Photo.DateTimeOriginal"] = std::string(kDate);
    photo->exifData()["Exif.Photo.SubSecTimeOriginal"] = std::string("250");
    photo->writeMetadata();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    file.close();
    file.remove();
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3 || std::atoi(argv[2]) <= 0) {
        std::fputs("usage: tolvane-bench-make-photos DIR COUNT\n", stderr);
        return 2;
    }
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    const QString folder = QFile::decodeName(argv[1]);
    const int count = std::atoi(argv[2]);
    QByteArray photo;
    try {
        photo = templatePhoto(folder + QStringLiteral("/template.jpg"));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "exiv2: %s\n", e.what());
        return 1;
    }
    const qsizetype at = photo.indexOf(kDate);
    const qsizetype serialAt = photo.indexOf(kFirstBody);
    if (at < 0 || serialAt < 0) {
        std::fputs("no date or serial number text in the template photo\n", stderr);
        return 1;
    }
    const QDateTime base(QDate(2024, 5, 12), QTime(8, 0), Qt::UTC);
    for (int k = 0; k < count; ++k) {
        QByteArray bytes = photo;
        const QByteArray date = k % 10 == 9 ? QByteArray("0000:00:00 00:00:00")
                                            : base.addSecs(qint64(k) * 7919 % count * 2)
                                                  .toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
                                                  .toLatin1();
        bytes.replace(at, date.size(), date);
        if (k % 2 == 1)
            bytes.replace(serialAt, qsizetype(sizeof kSecondBody) - 1, kSecondBody);
        QFile file(folder + QStringLiteral("/IMG_%1.jpg").arg(k + 1, 5, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "%s: cannot write\n", qPrintable(file.fileName()));
            return 1;
        }
    }
    return 0;
}
