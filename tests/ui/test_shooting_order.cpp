#include <QtTest>

#include <QDateTime>
#include <QImage>
#include <QLabel>
#include <QMimeData>
#include <QScopeGuard>

#include <exiv2/exiv2.hpp>

#include <cerrno>

#include <sys/stat.h>
#include <utime.h>

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

struct Shot {
    const char* name;
    const char* taken;       // Exif DateTimeOriginal; nullptr: no Exif at all
    const char* subSeconds;  // SubSecTimeOriginal, or nullptr
};

// The camera's DSC_ names and the phone's IMG_ names interleave in time; a
// phone name that tells another time than its Exif, two files a second
// apart only by sub-seconds, two taken in the same millisecond whose hand
// order disagrees with natural order, and a screenshot without Exif.
const Shot kTrip[] = {
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

void setFileTime(const QString& path, const QDateTime& saved) {
    const time_t at = time_t(saved.toSecsSinceEpoch());
    const utimbuf times{at, at};
    QCOMPARE(::utime(QFile::encodeName(path).constData(), &times), 0);
}

void writeShot(const QString& folder, const Shot& shot, int serial) {
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
    file->exifData()["Exif.Photo.DateTimeOriginal"] = std::string(shot.taken);
    if (shot.subSeconds)
        file->exifData()["Exif.Photo.SubSecTimeOriginal"] = std::string(shot.subSeconds);
    file->writeMetadata();
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

    void open(MainWindowDriver& d, const QString& folder) {
        d.setPatterns(QStringLiteral("*.jpg;*.png"));
        QCOMPARE(d.openFolder(folder), FolderAccess::Opened);
    }

    // Each entry's inode is the file's, wherever the entry went.
    static void checkInodes(const MainWindowDriver& d, const QString& folder) {
        const ConversionList* list = d.conversionList();
        QCOMPARE(list->files().size(), size_t(list->count()));
        for (int row = 0; row < list->count(); ++row)
            QCOMPARE(list->files()[size_t(row)].inode, inodeOf(folder + u'/' + list->text(row)));
    }

private slots:
    void initTestCase() {
        setApplicationFolderForTesting(appFolder_.path());
        int serial = 0;
        for (const Shot& shot : kTrip)
            writeShot(trip_.path(), shot, ++serial);
    }
    void cleanupTestCase() { setApplicationFolderForTesting(QString()); }
    void init() { removeAllJournals(); }

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
        int serial = 0;
        QList<QByteArray> bytes;
        for (const Shot& shot : kTrip)
            writeShot(folder.path(), shot, ++serial);
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
    // was, hand order included.
    void stopKeepsTheList() {
        MainWindow w;
        MainWindowDriver d(w);
        open(d, trip_.path());
        d.select({9});
        d.moveByKey(-1);
        const QStringList before = d.listed();
        SlowShootingTimes slow(150);
        QString title;
        QString count;
        whenModalAppears([&](QWidget* modal) {
            auto* progress = qobject_cast<ProgressWindow*>(modal);
            QVERIFY(progress);
            title = progress->windowTitle();
            count = progress->findChild<QLabel*>(QStringLiteral("progressCount"))->text();
            findButton(*progress, QStringLiteral("中止"))->click();
        });
        d.sortByShootingTime();
        QCOMPARE(title, QStringLiteral("撮影日時の読み取り"));
        QVERIFY2(count.endsWith(QStringLiteral(" / 10")), qPrintable(count));
        QVERIFY(slow.reads.load() < 10);
        QCOMPARE(d.listed(), before);
        // A later sort reads again and goes through.
        d.sortByShootingTime();
        QCOMPARE(d.listed(), kShootingOrder);
    }

    // A card pulled out in the middle of a sort: the sort stops at the first
    // read the drive refuses, a 注意 box names the folder and why, and the
    // list is read again: empty, the folder being gone.
    void cardPulledOutDuringTheSort() {
        QTemporaryDir root;
        const QString card = root.filePath(QStringLiteral("card"));
        const QString folder = card + QStringLiteral("/DCIM");
        QVERIFY(QDir().mkpath(folder));
        for (int k = 0; k < 3; ++k)
            writeShot(folder, kTrip[k], k + 1);
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
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        open(d, folder.path());
        ConversionList* list = d.conversionList();
        list->setFocus();
        list->clearSelection();
        for (const int row : selected)
            list->setRowSelected(row, true);
        list->selectionModel()->setCurrentIndex(list->model()->index(selected.front(), 0),
                                                QItemSelectionModel::NoUpdate);
        if (how == QLatin1String("drag"))
            QVERIFY(d.dragSelectedTo(to));
        else
            d.moveByKey(to);
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
