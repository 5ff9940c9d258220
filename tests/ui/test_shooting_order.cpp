#include <QtTest>

#include <QDateTime>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QRadioButton>
#include <QScopeGuard>

#include <exiv2/exiv2.hpp>

#include <cerrno>
#include <span>

#include <sys/stat.h>
#include <utime.h>

#include "AccessibleEvents.h"
#include "Doubles.h"
#include "Modal.h"
#include "TestFiles.h"
#include "WindowDriver.h"
#include "core/settings/Settings.h"
#include "ui/windows/ProgressWindow.h"

// exiv2 0.27 hands out its images as std::auto_ptr, deprecated in C++20.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

// The conversion list in shooting order and moved by hand, seen from the
// window: a trip shot with a camera and a phone becomes one series.

namespace {

struct Photo {
    const char* name;
    const char* taken;             // Exif DateTimeOriginal; nullptr: no Exif at all
    const char* subSeconds;        // SubSecTimeOriginal, or nullptr
    const char* serial = nullptr;  // a Canon EOS R5's body serial number, or no camera named
};

// The camera's DSC_ names and the phone's IMG_ names interleave in time; a
// phone name that tells another time than its Exif, two files a second
// apart only by sub-seconds, two taken in the same millisecond whose hand
// order disagrees with natural order, and a screenshot without Exif.
const Photo kTrip[] = {
    {"DSC_0001.JPG", "2024:05:12 10:00:00", nullptr},
    {"DSC_0002.JPG", "2024:05:12 10:05:00", nullptr},
    {"DSC_0003.JPG", "2024:05:12 10:31:07", "5"},
    {"IMG_20240512_100200.jpg", "2024:05:12 10:02:00", nullptr},
    {"IMG_20240512_103107.jpg", "2024:05:12 10:31:07", "250"},
    {"IMG_20240512_103107_1.jpg", "2024:05:12 10:31:07", "250"},
    {"IMG_20240512_235959.jpg", "2024:05:12 09:30:00", nullptr},
    {"P2.jpg", "2024:05:12 09:00:00", nullptr},
    {"P10.jpg", "2024:05:12 09:00:00", nullptr},
    {"shot.png", nullptr, nullptr},
};
// The screenshot's modification time, on this machine's clock.
const QDateTime kScreenshotSaved(QDate(2024, 5, 12), QTime(10, 3, 0), Qt::LocalTime);

const QStringList kNameOrder{"DSC_0001.JPG",
                             "DSC_0002.JPG",
                             "DSC_0003.JPG",
                             "IMG_20240512_100200.jpg",
                             "IMG_20240512_103107.jpg",
                             "IMG_20240512_103107_1.jpg",
                             "IMG_20240512_235959.jpg",
                             "P2.jpg",
                             "P10.jpg",
                             "shot.png"};
const QStringList kShootingOrder{"P2.jpg",
                                 "P10.jpg",
                                 "IMG_20240512_235959.jpg",
                                 "DSC_0001.JPG",
                                 "IMG_20240512_100200.jpg",
                                 "shot.png",
                                 "DSC_0002.JPG",
                                 "IMG_20240512_103107.jpg",
                                 "IMG_20240512_103107_1.jpg",
                                 "DSC_0003.JPG"};

// Two bodies of one model, the second's clock an hour behind: its photos
// sort before the first's until its clock is corrected. And a screenshot.
const Photo kTwoBodies[] = {
    {"A_1.JPG", "2024:05:12 10:00:00", nullptr, "0001"},
    {"A_2.JPG", "2024:05:12 10:20:00", nullptr, "0001"},
    {"A_3.JPG", "2024:05:12 10:40:00", nullptr, "0001"},
    {"B_1.JPG", "2024:05:12 09:10:00", nullptr, "0002"},
    {"B_2.JPG", "2024:05:12 09:30:00", nullptr, "0002"},
    {"B_3.JPG", "2024:05:12 09:50:00", nullptr, "0002"},
    {"S.png", nullptr, nullptr},
};
const QString kSecondBody = QStringLiteral("Canon EOS R5 (0002)");

// A camera's RAW and JPEG of each press, a second body writing one of the
// same names an hour earlier, a pair without Exif, and sidecars: of a
// member, of a name, of no photo.
const Photo kShots[] = {
    {"IMG_0001.CR2", "2024:05:12 10:00:00", nullptr, "0001"},
    {"IMG_0001.JPG", "2024:05:12 10:00:00", nullptr, "0001"},
    {"IMG_0002.CR2", "2024:05:12 10:05:00", nullptr, "0001"},
    {"IMG_0002.JPG", "2024:05:12 09:00:00", nullptr, "0002"},
    {"IMG_0003.JPG", "2024:05:12 09:30:00", nullptr, "0002"},
};
// Two days of a trip, and a screenshot of the first without Exif.
const Photo kTwoDays[] = {
    {"A.jpg", "2024:05:12 10:00:00", nullptr},
    {"B.jpg", "2024:05:12 18:30:00", nullptr},
    {"C.jpg", "2024:05:13 07:00:00", nullptr},
    {"D.png", nullptr, nullptr},
};

// "A1 S B1": the list by the letter and digit of each name.
QString shortNames(const QStringList& names) {
    QStringList letters;
    for (const QString& name : names)
        letters << name.left(1) + (name.at(1) == u'_' ? name.mid(2, 1) : QString());
    return letters.join(u' ');
}

void typeAsInputMethod(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

// The clock dialog's rows as shown: camera, files, first and last time.
QStringList clockRows(const QWidget& dialog) {
    QStringList rows;
    for (int row = 0;; ++row) {
        const auto* widget = dialog.findChild<QWidget*>(QStringLiteral("clockRow%1").arg(row));
        if (!widget)
            return rows;
        QStringList texts;
        for (const char* label : {"cameraName", "fileCount", "firstTime", "lastTime"})
            texts << widget->findChild<QLabel*>(QLatin1String(label))->text();
        rows << texts.join(u'|');
    }
}

void setFileTime(const QString& path, const QDateTime& saved) {
    const time_t at = time_t(saved.toSecsSinceEpoch());
    const utimbuf times{at, at};
    QCOMPARE(::utime(QFile::encodeName(path).constData(), &times), 0);
}

void writePhoto(const QString& folder, const Photo& shot, int serial) {
    const QString path = folder + u'/' + QString::fromLatin1(shot.name);
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(QColor(serial * 20, 100, 50));  // bytes of its own
    QVERIFY(image.save(path, path.endsWith(u"png") ? "PNG" : "JPEG"));
    if (!shot.taken) {
        setFileTime(path, kScreenshotSaved);
        return;
    }
    auto file = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
    file->readMetadata();
    if (shot.serial) {
        file->exifData()["Exif.Image.Make"] = std::string("Canon");
        file->exifData()["Exif.Image.Model"] = std::string("Canon EOS R5");
        file->exifData()["Exif.Photo.BodySerialNumber"] = std::string(shot.serial);
    }
    file->exifData()["Exif.Photo.DateTimeOriginal"] = std::string(shot.taken);
    if (shot.subSeconds)
        file->exifData()["Exif.Photo.SubSecTimeOriginal"] = std::string(shot.subSeconds);
    file->writeMetadata();
}

void writePhotos(const QString& folder, std::span<const Photo> photos) {
    int serial = 0;
    for (const Photo& shot : photos)
        writePhoto(folder, shot, ++serial);
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file's name, modification time and bytes.
QStringList photoFacts(const QString& folder) {
    QStringList facts;
    for (const QFileInfo& info : QDir(folder).entryInfoList(QDir::Files, QDir::Name))
        facts << info.fileName() + info.lastModified().toString(Qt::ISODateWithMs) +
                     QString::fromLatin1(bytesOf(info.filePath()).toBase64());
    return facts;
}

quint64 inodeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? quint64(info.st_ino) : 0;
}

}  // namespace

class TestShootingOrder : public QObject {
    Q_OBJECT
    QTemporaryDir appFolder_;
    QTemporaryDir trip_;
    QTemporaryDir twoBodies_;

    void open(MainWindowDriver& d, const QString& folder) {
        d.setPatterns(QStringLiteral("*.jpg;*.png"));
        QCOMPARE(d.openFolder(folder), FolderAccess::Opened);
    }

    // Each entry's inode is the file's, wherever the entry went.
    static void checkInodes(const MainWindowDriver& d, const QString& folder) {
        const ConversionList* list = d.conversionList();
        QCOMPARE(list->shots().size(), size_t(list->count()));
        for (int row = 0; row < list->count(); ++row)
            QCOMPARE(list->shots()[size_t(row)].first().inode,
                     inodeOf(folder + u'/' + list->text(row)));
    }

private slots:
    void initTestCase() {
        setApplicationFolderForTesting(appFolder_.path());
        startHearing();
        writePhotos(trip_.path(), kTrip);
        writePhotos(twoBodies_.path(), kTwoBodies);
    }
    void cleanupTestCase() { setApplicationFolderForTesting(QString()); }
    void init() {
        removeAllJournals();
        QFile::remove(settingsFilePath());
    }

    void ordersByShootingTimeAndBackByName() {
        MainWindow w;
        MainWindowDriver d(w);
        open(d, trip_.path());
        QCOMPARE(d.listed(), kNameOrder);
        // By hand first, against natural order where the times are equal:
        // the sort must not keep the hand order among equals.
        d.select({8});  // P10.jpg above P2.jpg
        d.moveByKey(-1);
        d.select({5});  // IMG_…_103107_1 above IMG_…_103107
        d.moveByKey(-1);
        QCOMPARE(d.listed().mid(4, 2),
                 (QStringList{"IMG_20240512_103107_1.jpg", "IMG_20240512_103107.jpg"}));

        d.sortByShootingTime();
        QCOMPARE(d.listed(), kShootingOrder);
        checkInodes(d, trip_.path());
        d.sortByName();
        QCOMPARE(d.listed(), kNameOrder);
        checkInodes(d, trip_.path());
        // Twice in a row changes nothing more.
        d.sortByShootingTime();
        d.sortByShootingTime();
        QCOMPARE(d.listed(), kShootingOrder);
    }

    void toolTipsTellTheTimeAndWhereItCameFrom_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("camera") << "DSC_0001.JPG"
                                << "DSC_0001.JPG\n撮影日時 2024/05/12 10:00:00";
        QTest::newRow("phone, its name says another time")
            << "IMG_20240512_235959.jpg"
            << "IMG_20240512_235959.jpg\n撮影日時 2024/05/12 09:30:00";
        QTest::newRow("sub-seconds not shown") << "DSC_0003.JPG"
                                               << "DSC_0003.JPG\n撮影日時 2024/05/12 10:31:07";
        QTest::newRow("no Exif: the file's time") << "shot.png"
                                                  << "shot.png\n更新日時 2024/05/12 10:03:00";
    }
    void toolTipsTellTheTimeAndWhereItCameFrom() {
        QFETCH(QString, name);
        QFETCH(QString, toolTip);
        MainWindow w;
        MainWindowDriver d(w);
        open(d, trip_.path());
        // Before any sort (read for the one entry), and after it.
        QCOMPARE(d.toolTip(int(kNameOrder.indexOf(name))), toolTip);
        d.sortByShootingTime();
        QCOMPARE(d.toolTip(int(kShootingOrder.indexOf(name))), toolTip);
    }

    void theRenameNumbersInShootingOrder() {
        QTemporaryDir folder;
        QList<QByteArray> bytes;
        writePhotos(folder.path(), kTrip);
        for (const QString& name : kShootingOrder)
            bytes << bytesOf(folder.filePath(name));
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        open(d, folder.path());
        d.sortByShootingTime();
        d.prefix()->setText(QStringLiteral("trip"));
        d.convert();
        // The question's details show the coming names in shooting order.
        QCOMPARE(boxes.shown.size(), 1);
        QStringList preview;
        for (int k = 0; k < kShootingOrder.size(); ++k) {
            const QString& old = kShootingOrder[k];
            preview << old + QStringLiteral(" → trip") +
                           QString::number(k + 1).rightJustified(2, u'0') +
                           old.mid(old.lastIndexOf(u'.'));
        }
        QCOMPARE(boxes.shown[0].details.split(u'\n', Qt::SkipEmptyParts), preview);
        for (int k = 0; k < kShootingOrder.size(); ++k) {
            const QString& old = kShootingOrder[k];
            const QString now = QStringLiteral("trip") +
                                QString::number(k + 1).rightJustified(2, u'0') +
                                old.mid(old.lastIndexOf(u'.'));
            QVERIFY2(bytesOf(folder.filePath(now)) == bytes[k], qPrintable(now));
        }
        // The undo brings each file back to its own name.
        QAction* undo = d.menuItem(QStringLiteral("変換を元に戻す"));
        QVERIFY(undo->isEnabled());
        undo->trigger();
        QCOMPARE(d.listed(), kNameOrder);
        for (int k = 0; k < kShootingOrder.size(); ++k)
            QCOMPARE(bytesOf(folder.filePath(kShootingOrder[k])), bytes[k]);
    }

    // Menu items a batch takes, each kept for the next start. With 同じ名前の
    // ファイルに同じ番号を付ける on, the files of one name are one row and take
    // one number, sidecars along; off, each file is a row and the sidecars
    // stay. A date field in 前 shows each file's shooting time, read at 変換
    // where the list has none yet, the file's own time marked where it has
    // no Exif; with 日付ごとに開始番号から数え直す each day's files count from
    // the start number again, in list order.
    void menuItemsOfABatch_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("prefix");       // "s": the shots; else the two days
        QTest::addColumn<QStringList>("rows");     // in name order
        QTest::addColumn<QStringList>("sorted");   // in shooting order; empty: left unsorted
        QTest::addColumn<QStringList>("renamed");  // "old new", the details' first lines
        QTest::addColumn<QStringList>("stayed");   // the files left, named after them if any
        const QString together = QStringLiteral("同じ名前のファイルに同じ番号を付ける");
        const QString perDay = QStringLiteral("日付ごとに開始番号から数え直す");
        QTest::newRow("together")
            << together << true << "s"
            << QStringList{"IMG_0001.CR2 (+JPG)", "IMG_0002.CR2", "IMG_0002.JPG", "IMG_0003.JPG",
                           "IMG_0004.CR2 (+JPG)"}
            << QStringList{"IMG_0002.JPG", "IMG_0003.JPG", "IMG_0001.CR2 (+JPG)", "IMG_0002.CR2",
                           "IMG_0004.CR2 (+JPG)"}
            << QStringList{"IMG_0002.JPG s1.JPG",         "IMG_0003.JPG s2.JPG",
                           "IMG_0001.CR2 s3.CR2",         "IMG_0001.JPG s3.JPG",
                           "IMG_0001.CR2.xmp s3.CR2.xmp", "IMG_0002.CR2 s4.CR2",
                           "IMG_0002.xmp s4.xmp",         "IMG_0004.CR2 s5.CR2",
                           "IMG_0004.JPG s5.JPG"}
            << QStringList{"IMG_0009.xmp"};
        QTest::newRow("apart") << together << false << "s"
                               << QStringList{"IMG_0001.CR2", "IMG_0001.JPG", "IMG_0002.CR2",
                                              "IMG_0002.JPG", "IMG_0003.JPG", "IMG_0004.CR2",
                                              "IMG_0004.JPG"}
                               << QStringList{"IMG_0002.JPG", "IMG_0003.JPG", "IMG_0001.CR2",
                                              "IMG_0001.JPG", "IMG_0002.CR2", "IMG_0004.CR2",
                                              "IMG_0004.JPG"}
                               << QStringList{"IMG_0002.JPG s1.JPG", "IMG_0003.JPG s2.JPG",
                                              "IMG_0001.CR2 s3.CR2", "IMG_0001.JPG s4.JPG",
                                              "IMG_0002.CR2 s5.CR2", "IMG_0004.CR2 s6.CR2",
                                              "IMG_0004.JPG s7.JPG"}
                               << QStringList{"IMG_0001.CR2.xmp", "IMG_0002.xmp", "IMG_0009.xmp"};
        const QStringList days{"A.jpg", "B.jpg", "C.jpg", "D.png"};
        QTest::newRow("date, one count")
            << perDay << false << "<年月日>_kyoto_" << days << QStringList()
            << QStringList{"A.jpg 20240512_kyoto_1.jpg", "B.jpg 20240512_kyoto_2.jpg",
                           "C.jpg 20240513_kyoto_3.jpg",
                           "D.png 20240512_kyoto_4.png（ファイルの日時）"}
            << QStringList();
        QTest::newRow("date, each day from the start")
            << perDay << true << "<年月日>_kyoto_" << days << QStringList()
            << QStringList{"A.jpg 20240512_kyoto_1.jpg", "B.jpg 20240512_kyoto_2.jpg",
                           "C.jpg 20240513_kyoto_1.jpg",
                           "D.png 20240512_kyoto_1.png（ファイルの日時）"}
            << QStringList();
    }
    void menuItemsOfABatch() {
        QFETCH(QString, item);
        QFETCH(bool, on);
        QFETCH(QString, prefix);
        QFETCH(QStringList, renamed);
        QFETCH(QStringList, stayed);
        QTemporaryDir folder;
        if (prefix == u"s") {
            writePhotos(folder.path(), kShots);
            for (const QByteArray name : {"IMG_0004.CR2", "IMG_0004.JPG", "IMG_0001.CR2.xmp",
                                          "IMG_0002.xmp", "IMG_0009.xmp"}) {
                QFile file(folder.filePath(QString::fromLatin1(name)));
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(name) == name.size());
            }
        } else {
            writePhotos(folder.path(), kTwoDays);
        }
        const QStringList before = photoFacts(folder.path());
        // The details list every file, then the sidecars that stay.
        QStringList preview;
        std::map<QString, QByteArray> bytes;
        for (const QString& line : renamed) {
            const QString old = line.section(u' ', 0, 0);
            preview << old + QStringLiteral(" → ") + line.section(u' ', 1);
            bytes[line.section(u' ', 1).remove(QStringLiteral("（ファイルの日時）"))] =
                bytesOf(folder.filePath(old));
        }
        if (prefix == u"s" && on)
            preview << QStringLiteral(
                           "同じ名前の写真がリストにないため、次のファイルはそのままです:")
                    << stayed;

        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        d.setPatterns(QStringLiteral("*.jpg;*.cr2;*.png"));
        QCOMPARE(d.openFolder(folder.path()), FolderAccess::Opened);
        QAction* menuItem = d.menuItem(item);
        menuItem->setChecked(on);
        QTEST(d.listed(), "rows");
        QFETCH(QStringList, sorted);
        if (!sorted.isEmpty()) {
            d.sortByShootingTime();
            QCOMPARE(d.listed(), sorted);
        }
        if (prefix == u"s" && on) {
            QCOMPARE(d.toolTip(2), QStringLiteral("IMG_0001.CR2\nIMG_0001.JPG\nIMG_0001.CR2.xmp\n"
                                                  "撮影日時 2024/05/12 10:00:00"));
        }
        d.prefix()->setText(prefix);
        d.convert();
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].message.text.startsWith(
            QStringLiteral("「 ") + prefix + QStringLiteral("＋連番＋拡張子に変換します.」")));
        QCOMPARE(boxes.shown[0].details.split(u'\n', Qt::SkipEmptyParts), preview);
        QStringList left = QDir(folder.path()).entryList(QDir::Files, QDir::Name);
        for (const auto& [name, was] : bytes) {
            QVERIFY2(bytesOf(folder.filePath(name)) == was, qPrintable(name));
            left.removeOne(name);
        }
        QCOMPARE(left, stayed);
        // The undo brings every file back, sidecars too, bytes and times.
        d.menuItem(QStringLiteral("変換を元に戻す"))->trigger();
        QCOMPARE(photoFacts(folder.path()), before);
        QTEST(d.listed(), "rows");
        MainWindow next;
        QCOMPARE(MainWindowDriver(next).menuItem(item)->isChecked(), on);
    }

    void clearAndReloadBringBackNameOrder() {
        MainWindow w;
        MainWindowDriver d(w);
        open(d, trip_.path());
        d.sortByShootingTime();
        d.clearButton()->click();
        QCOMPARE(d.listed(), kNameOrder);
        d.sortByShootingTime();
        open(d, trip_.path());
        QCOMPARE(d.listed(), kNameOrder);
        QCOMPARE(d.toolTip(0), QStringLiteral("DSC_0001.JPG\n撮影日時 2024/05/12 10:00:00"));
    }

    // Past half a second the progress window shows; 中止 keeps the list as it
    // was, hand order included, and opens no clock dialog. A screen reader
    // hears the count as a progress bar, 中止 labelled by the count and the
    // file in hand, and how it ended.
    void stopKeepsTheList_data() {
        QTest::addColumn<QString>("menuItem");
        QTest::newRow("sort") << "撮影日時順に並べる";
        QTest::newRow("camera clocks") << "カメラの時計を補正...";
        QTest::newRow("変換 with a date field") << "変換";
    }
    void stopKeepsTheList() {
        QFETCH(QString, menuItem);
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        open(d, trip_.path());
        d.select({9});
        d.moveByKey(-1);
        const QStringList before = d.listed();
        SlowShootingTimes slow(150);
        QString title;
        QString count;
        QStringList heardCount;  // its maximum, 中止's label
        whenModalAppears([&](QWidget* modal) {
            auto* progress = qobject_cast<ProgressWindow*>(modal);
            QVERIFY(progress);
            title = progress->windowTitle();
            auto* bar = progress->findChild<QProgressBar*>(QStringLiteral("progressCount"));
            count = bar->text();
            QPushButton* stop = findButton(*progress, QStringLiteral("中止"));
            QAccessibleInterface* heardBar = QAccessible::queryAccessibleInterface(bar);
            heardCount << heardBar->valueInterface()->maximumValue().toString();
            for (const auto& label :
                 QAccessible::queryAccessibleInterface(stop)->relations(QAccessible::Label))
                heardCount << label.first->text(QAccessible::Name);
            stop->click();
        });
        heard.clear();
        ScriptedMessageBox boxes;
        if (menuItem == u"変換") {
            d.prefix()->setText(QStringLiteral("<年月日>"));
            d.convert();
        } else {
            d.menuItem(menuItem)->trigger();
        }
        QVERIFY(boxes.shown.isEmpty());  // no question, so no rename
        QCOMPARE(title, QStringLiteral("撮影日時の読み取り"));
        QVERIFY2(count.endsWith(QStringLiteral(" / 10")), qPrintable(count));
        QCOMPARE(heardCount.size(), 2);
        QCOMPARE(heardCount[0], QStringLiteral("10"));
        QVERIFY(before.contains(heardCount[1].section(count + u' ', 1)));  // the file in hand
        QCOMPARE(notifications(), QStringList{QStringLiteral("中止しました")});
        QVERIFY(slow.reads.load() < 10);
        QCOMPARE(d.listed(), before);
        // A later sort reads again and goes through.
        heard.clear();
        d.sortByShootingTime();
        QCOMPARE(d.listed(), kShootingOrder);
        QCOMPARE(notifications(), QStringList{QStringLiteral("終了しました")});
    }

    // A card pulled out in the middle of a sort: the sort stops at the first
    // read the drive refuses, a 注意 box names the folder and why, and the
    // list is read again: empty, the folder being gone.
    void cardPulledOutDuringTheSort() {
        QTemporaryDir root;
        const QString card = root.filePath(QStringLiteral("card"));
        const QString folder = card + QStringLiteral("/DCIM");
        QVERIFY(QDir().mkpath(folder));
        writePhotos(folder, std::span(kTrip).first(3));
        // What the card's driver answers once the card is out cannot happen
        // here: the reader says it, as the card goes for real.
        struct PulledOut : ShootingTimeService {
            QString card;
            int reads = 0;
            ShootingTime read(const QByteArray& path, int* readError) override {
                if (++reads < 2)
                    return ShootingTimeService::real().read(path, readError);
                QDir().rename(card, card + QStringLiteral("-gone"));
                *readError = ENOTCONN;
                return {};
            }
        } pulledOut;
        pulledOut.card = card;
        ShootingTimeService::replace(&pulledOut);
        const auto restore = qScopeGuard([] { ShootingTimeService::replace(nullptr); });
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        open(d, folder);
        QCOMPARE(d.conversionList()->count(), 3);
        d.sortByShootingTime();
        QCOMPARE(pulledOut.reads, 2);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].message,
                 Message(QStringLiteral("撮影日時を読み取れませんでした.\r\n\r\n") + folder +
                             QStringLiteral("\r\nドライブが取り外されたか、読み書きできません"),
                         QStringLiteral("注意"), Icon::Warning));
        QCOMPARE(d.conversionList()->count(), 0);
    }

    // A folder handed over or dropped while a sort reads the times of the
    // folder on show opens once the sort is over, in its own order and with
    // its own times, and the next batch numbers it so: the sort's times and
    // order belong to the list they were read for.
    void folderFromOutsideWaitsForTheSort_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("underProgressWindow");
        QTest::newRow("handed over at once") << "hand over" << false;
        QTest::newRow("dropped at once") << "drop" << false;
        QTest::newRow("handed over under the progress window") << "hand over" << true;
    }
    void folderFromOutsideWaitsForTheSort() {
        QFETCH(QString, how);
        QFETCH(bool, underProgressWindow);
        // As many files as the trip, so that no count tells the lists apart,
        // each holding its own name and with a file time of its own.
        QTemporaryDir other;
        QStringList otherNames;
        QStringList otherTips;
        for (int k = 1; k <= int(std::size(kTrip)); ++k) {
            otherNames << QStringLiteral("b%1.jpg").arg(k, 2, 10, QLatin1Char('0'));
            const QDateTime saved(QDate(2023, 1, k), QTime(12, 0), Qt::LocalTime);
            QFile file(other.filePath(otherNames.back()));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(otherNames.back().toLatin1()));
            file.close();
            setFileTime(other.filePath(otherNames.back()), saved);
            otherTips << otherNames.back() + saved.toString(u"'\n更新日時 'yyyy/MM/dd hh:mm:ss");
        }
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        open(d, trip_.path());
        const auto fromOutside = [&] {
            QMimeData dragged;
            dragged.setUrls({QUrl::fromLocalFile(other.path())});
            if (how == u"drop")
                QVERIFY(d.drop(dragged, 0, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction));
            else
                w.openFromOutside(other.path());
        };
        // Past the half second after which the progress window shows.
        SlowShootingTimes slow(60);
        if (underProgressWindow)
            whenModalAppears([&](QWidget*) { fromOutside(); });
        else
            QTimer::singleShot(0, &w, fromOutside);  // the sort's first look at its events
        d.sortByShootingTime();
        QTRY_COMPARE(d.folders()->path(), other.path());
        QCOMPARE(d.listed(), otherNames);
        for (int row = 0; row < otherNames.size(); ++row)
            QCOMPARE(d.toolTip(row), otherTips[row]);
        d.prefix()->setText(QStringLiteral("x"));
        d.convert();
        for (int k = 0; k < otherNames.size(); ++k) {
            const QString now = QStringLiteral("x%1.jpg").arg(k + 1, 2, 10, QLatin1Char('0'));
            QCOMPARE(bytesOf(other.filePath(now)), otherNames[k].toLatin1());
        }
    }

    // Two bodies an hour apart: an offset on the second, typed as an input
    // method commits it, corrects the times the list uses (its order while
    // it stands in shooting order, and the tooltips), and is there again
    // after a restart; what is not a number is refused and applies nothing.
    // The photos are never written to.
    void clockCorrection_data() {
        // Days ("-": the sign turned back), hours, minutes, seconds of the second body.
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("sortedFirst");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("sortedOrder");
        QTest::addColumn<QString>("firstOfSecond");  // B_1's time line
        const QString uncorrected = QStringLiteral("B1 B2 B3 A1 S A2 A3");
        const QString before = QStringLiteral("撮影日時 2024/05/12 09:10:00");
        const QString hourOn = QStringLiteral("撮影日時 2024/05/12 10:10:00（補正済み）");
        const QStringList anHour{"", "1", "", ""};
        QTest::newRow("an hour on: the bodies interleave")
            << anHour << "OK" << true << false << "A1 S B1 A2 B2 A3 B3" << hourOn;
        QTest::newRow("the list not in shooting order keeps its order")
            << anHour << "OK" << false << false << "A1 S B1 A2 B2 A3 B3" << hourOn;
        QTest::newRow("across midnight and a month's end")
            << QStringList{"19", "15", "", ""} << "OK" << true << false << "A1 S A2 A3 B1 B2 B3"
            << "撮影日時 2024/06/01 00:10:00（補正済み）";
        QTest::newRow("back across a year's end")
            << QStringList{"-132", "9", "11", ""} << "OK" << true << false << uncorrected
            << "撮影日時 2023/12/31 23:59:00（補正済み）";
        QTest::newRow("キャンセル")
            << anHour << "キャンセル" << true << false << uncorrected << before;
        QTest::newRow("a letter") << QStringList{"1", "x", "", ""} << "OK" << true << true
                                  << uncorrected << before;
    }
    void clockCorrection() {
        QFETCH(QStringList, typed);
        const bool negative = typed[0].startsWith(u'-');
        typed[0].remove(u'-');
        QFETCH(QString, button);
        QFETCH(bool, sortedFirst);
        QFETCH(bool, refused);
        QFETCH(QString, sortedOrder);
        QFETCH(QString, firstOfSecond);
        const QStringList photos = photoFacts(twoBodies_.path());
        const auto secondBodyTip = [](const MainWindowDriver& d) {
            return d.toolTip(int(d.listed().indexOf(QStringLiteral("B_1.JPG"))));
        };
        ScriptedMessageBox boxes;
        {
            MainWindow w;
            MainWindowDriver d(w);
            open(d, twoBodies_.path());
            if (sortedFirst)
                d.sortByShootingTime();
            const QString orderBefore = shortNames(d.listed());
            QStringList rows;
            bool openAfterOk = false;
            whenModalAppears([&](QWidget* dialog) {
                rows = clockRows(*dialog);
                // The sign by the keyboard, as on a radio button group.
                for (QRadioButton* sign : dialog->findChildren<QRadioButton*>()) {
                    if (negative && sign->accessibleName() == kSecondBody + " +")
                        QTest::keyClick(sign, Qt::Key_Right);
                }
                const QStringList units{"日", "時間", "分", "秒"};
                for (int k = 0; k < 4; ++k)
                    typeAsInputMethod(findTextBox(*dialog, kSecondBody + u' ' + units[k]),
                                      typed[k]);
                findButton(*dialog, button)->click();
                openAfterOk = dialog->isVisible();
                if (openAfterOk)
                    findButton(*dialog, QStringLiteral("キャンセル"))->click();
            });
            d.menuItem(QStringLiteral("カメラの時計を補正..."))->trigger();
            QCOMPARE(rows,
                     (QStringList{kSecondBody + "|3|2024/05/12 09:10:00|2024/05/12 09:50:00",
                                  "Canon EOS R5 (0001)|3|2024/05/12 10:00:00|2024/05/12 "
                                  "10:40:00",
                                  "カメラ情報なし|1|2024/05/12 10:03:00|2024/05/12 10:03:00"}));
            QCOMPARE(openAfterOk, refused);
            QCOMPARE(boxes.texts(),
                     refused ? QStringList{"日は0～9999、時間は0～23、分と秒は0～59の数字で記入して"
                                           "ください."}
                             : QStringList{});
            QCOMPARE(shortNames(d.listed()), sortedFirst ? sortedOrder : orderBefore);
            // In shooting order still, for the next correction.
            QCOMPARE(d.conversionList()->isInShootingOrder(), sortedFirst);
            QCOMPARE(secondBodyTip(d), "B_1.JPG\n" + firstOfSecond);
        }
        // The next start: the tooltip before any sort, the sort, and the
        // dialog shown again and taken as it stands.
        MainWindow w;
        MainWindowDriver d(w);
        open(d, twoBodies_.path());
        QCOMPARE(d.toolTip(3), "B_1.JPG\n" + firstOfSecond);
        d.sortByShootingTime();
        QCOMPARE(shortNames(d.listed()), sortedOrder);
        whenModalAppears(
            [](QWidget* dialog) { findButton(*dialog, QStringLiteral("OK"))->click(); });
        d.menuItem(QStringLiteral("カメラの時計を補正..."))->trigger();
        QCOMPARE(shortNames(d.listed()), sortedOrder);
        QCOMPARE(secondBodyTip(d), "B_1.JPG\n" + firstOfSecond);
        QCOMPARE(photoFacts(twoBodies_.path()), photos);
    }

    void moveByHand_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("to");  // a drag's drop row, or a key's step
        QTest::addColumn<QString>("after");
        QTest::newRow("drag one down") << "drag" << QList<int>{0} << 3 << "bcadef";
        QTest::newRow("drag one up") << "drag" << QList<int>{4} << 1 << "aebcdf";
        QTest::newRow("drag to the end") << "drag" << QList<int>{1} << 6 << "acdefb";
        QTest::newRow("drag two apart, they close up")
            << "drag" << QList<int>{0, 4} << 3 << "bcaedf";
        QTest::newRow("drag onto its own place") << "drag" << QList<int>{2} << 3 << "abcdef";
        QTest::newRow("Alt+Down") << "key" << QList<int>{1} << 1 << "acbdef";
        QTest::newRow("Alt+Up, a block") << "key" << QList<int>{3, 4} << -1 << "abdecf";
        QTest::newRow("Alt+Up, two apart") << "key" << QList<int>{1, 4} << -1 << "bacedf";
        QTest::newRow("Alt+Up at the top") << "key" << QList<int>{0, 3} << -1 << "abcdef";
        QTest::newRow("Alt+Down at the bottom") << "key" << QList<int>{5} << 1 << "abcdef";
    }
    void moveByHand() {
        QFETCH(QString, how);
        QFETCH(QList<int>, selected);
        QFETCH(int, to);
        QFETCH(QString, after);
        QTemporaryDir folder;
        for (const char c : QByteArray("abcdef"))
            touch(folder.filePath(QString(QLatin1Char(c)) + QStringLiteral(".jpg")));
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        open(d, folder.path());
        ConversionList* list = d.conversionList();
        list->setFocus();
        QTRY_VERIFY(list->hasFocus());
        list->clearSelection();
        for (const int row : selected)
            list->setRowSelected(row, true);
        list->selectionModel()->setCurrentIndex(list->model()->index(selected.front(), 0),
                                                QItemSelectionModel::NoUpdate);
        QCoreApplication::processEvents();
        heard.clear();
        if (how == QLatin1String("drag"))
            QVERIFY(d.dragSelectedTo(to));
        else
            d.moveByKey(to);
        // Heard: the first moved entry (the block keeps its order) and its place.
        const QChar first(u'a' + selected.front());
        QCOMPARE(
            notifications(),
            QStringList{QStringLiteral("%1.jpg %2 / 6").arg(first).arg(after.indexOf(first) + 1)});
        // Entries that moved lost their objects: a screen reader is told anew
        // where the focus is.
        if (after != "abcdef")
            QCOMPARE(lastFocus().name, list->text(list->currentIndex().row()));
        QString order;
        for (const QString& name : d.listed())
            order += name.front();
        QCOMPARE(order, after);
        checkInodes(d, folder.path());
        // The moved entries stay selected, so that they can move on.
        int stillSelected = 0;
        for (int row = 0; row < list->count(); ++row)
            stillSelected += list->isRowSelected(row) ? 1 : 0;
        QCOMPARE(stillSelected, int(selected.size()));
        QCOMPARE(list->text(list->currentIndex().row()).front(), QChar(u'a' + selected.front()));
    }

    // Folders dragged in from a file manager are the window's business:
    // dropped on the list, one opens as a folder, and the list moves nothing.
    void dropsFromElsewherePassToTheWindow() {
        QTemporaryDir folder;
        QTemporaryDir other;
        touch(folder.filePath(QStringLiteral("a.jpg")));
        touch(folder.filePath(QStringLiteral("b.jpg")));
        touch(other.filePath(QStringLiteral("c.jpg")));
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        open(d, folder.path());
        // Nor the rows of another list, as another copy of the program would
        // hand them out.
        QMimeData rows;
        rows.setData(QStringLiteral("application/x-tolvane-list-rows"), "1:2");
        QVERIFY(!d.drop(rows, 0));
        QCOMPARE(d.listed(), (QStringList{"a.jpg", "b.jpg"}));
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(other.path())});
        QVERIFY(d.drop(files, 1, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction));
        QTRY_COMPARE(d.listed(), QStringList{"c.jpg"});
    }
};

QTEST_MAIN(TestShootingOrder)
#include "test_shooting_order.moc"
