#include <QtTest>

#include "TestFiles.h"
#include "core/files/Shots.h"

// Shots: the listed files of one name and their sidecars, one row of the
// list. Which files go together, which times are read for it, and the time a
// shot is ordered by.

namespace {

// "10:00:01.500 B": an Exif time of 2024-05-12 from the camera of serial
// number B (none: no camera named); "file 10:00": the file's own time;
// empty: no time at all.
ShootingTime timeFrom(const QString& text) {
    if (text.isEmpty())
        return {};
    QStringList parts = text.split(u' ');
    const bool own = parts.front() == u"file";
    if (own)
        parts.removeFirst();
    ShootingTime time =
        shootingTimeOf(QString::fromLatin1(own ? "file 2024-05-12 " : "2024-05-12 ") + parts[0]);
    if (parts.size() > 1 && !own)
        time.camera = {"Canon", "Canon EOS R5", parts[1].toLatin1()};
    return time;
}

std::vector<ListedFile> filesNamed(const QByteArrayList& names) {
    std::vector<ListedFile> files;
    for (const QByteArray& name : names)
        files.push_back({name, 0, {}});
    return files;
}

// "IMG_1.CR2 IMG_1.JPG | IMG_1.CR2.xmp": the members, then any sidecars.
QStringList described(const std::vector<Shot>& shots) {
    QStringList rows;
    for (const Shot& shot : shots) {
        QStringList names;
        for (const ListedFile& file : shot.members)
            names << QString::fromUtf8(file.name);
        if (!shot.sidecars.empty())
            names << QStringLiteral("|");
        for (const ListedFile& file : shot.sidecars)
            names << QString::fromUtf8(file.name);
        rows << names.join(u' ');
    }
    return rows;
}

}  // namespace

class TestShots : public QObject {
    Q_OBJECT
private slots:
    void formed_data() {
        QTest::addColumn<QByteArrayList>("listed");  // in natural order
        QTest::addColumn<QByteArrayList>("others");  // sidecars off the list
        QTest::addColumn<QStringList>("times");      // what the reader gives, file by file
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QByteArrayList>("read");  // the files whose times were asked for
        const auto row = [](const char* name, const QByteArrayList& listed, const QStringList& rows,
                            const QByteArrayList& read, const QStringList& times = {},
                            const QByteArrayList& others = {}) {
            QTest::newRow(name) << listed << others << times << rows << read;
        };
        row("one file a name: nothing read", {"IMG_1.JPG", "IMG_2.JPG"}, {"IMG_1.JPG", "IMG_2.JPG"},
            {});
        row("raw and jpeg: one row, only they read", {"IMG_1.CR2", "IMG_1.JPG", "IMG_2.JPG"},
            {"IMG_1.CR2 IMG_1.JPG", "IMG_2.JPG"}, {"IMG_1.CR2", "IMG_1.JPG"});
        row("letter case of the names ignored", {"IMG_1.cr2", "img_1.JPG"}, {"IMG_1.cr2 img_1.JPG"},
            {"IMG_1.cr2", "img_1.JPG"});
        row("several dots: the last one counts", {"a.b.CR2", "a.b.JPG", "a.JPG"},
            {"a.b.CR2 a.b.JPG", "a.JPG"}, {"a.b.CR2", "a.b.JPG"});
        row("another name between them in natural order", {"a.jpg", "a.k.jpg", "a.zip"},
            {"a.jpg a.zip", "a.k.jpg"}, {"a.jpg", "a.zip"});
        row("no extension", {"a", "a.jpg"}, {"a a.jpg"}, {"a", "a.jpg"});
        const QByteArrayList pair{"IMG_1.CR2", "IMG_1.JPG"};
        row("sidecars of each form, in any case; one without its photo left out", pair,
            {"IMG_1.CR2 IMG_1.JPG | IMG_1.CR2.xmp IMG_1.JPG.XMP img_1.THM IMG_1.xmp"}, pair, {},
            {"IMG_1.CR2.xmp", "IMG_1.JPG.XMP", "img_1.THM", "IMG_1.xmp", "IMG_9.xmp",
             "IMG_1.MOV.xmp"});
        row("listed sidecars go with their photo, or are rows of their own",
            {"IMG_1.JPG", "IMG_1.JPG.xmp", "X.CR2.xmp", "X.thm", "X.xmp"},
            {"IMG_1.JPG | IMG_1.JPG.xmp", "X.CR2.xmp", "X.thm X.xmp"}, {"X.thm", "X.xmp"});
        // Two bodies writing the same names into one folder.
        row("times a second apart: one shot", pair, {"IMG_1.CR2 IMG_1.JPG"}, pair,
            {"10:00:00.000", "10:00:01.000"});
        row("times further apart: two shots, each its own sidecar", pair,
            {"IMG_1.CR2 | IMG_1.xmp", "IMG_1.JPG | IMG_1.JPG.xmp"}, pair,
            {"10:00:00.000", "10:00:01.001"}, {"IMG_1.JPG.xmp", "IMG_1.xmp"});
        const QByteArrayList three{"IMG_1.CR2", "IMG_1.JPG", "IMG_1.TIF"};
        row("one moment, two cameras: two shots", three, {"IMG_1.CR2 IMG_1.TIF", "IMG_1.JPG"},
            three, {"10:00:00 A", "10:00:00 B", "10:00:00"});
        const QByteArrayList movie{"IMG_1.AVI", "IMG_1.CR2", "IMG_1.JPG"};
        row("without Exif: with the first body, which it may lead", movie,
            {"IMG_1.AVI IMG_1.CR2", "IMG_1.JPG"}, movie,
            {"file 10:00:00", "10:00:00 A", "11:00:00 B"});
        row("without Exif at all: one shot", {"IMG_1.MOV", "IMG_1.MP4"}, {"IMG_1.MOV IMG_1.MP4"},
            {"IMG_1.MOV", "IMG_1.MP4"}, {"file 10:00:00", "file 12:00:00"});
    }
    void formed() {
        QFETCH(QByteArrayList, listed);
        QFETCH(QByteArrayList, others);
        QFETCH(QStringList, times);
        QByteArrayList read;
        const std::vector<Shot> shots =
            formShots(filesNamed(listed), filesNamed(others), [&](const QByteArray& name) {
                read << name;
                const qsizetype k = listed.indexOf(name);
                return k >= 0 && k < times.size() ? timeFrom(times[k]) : ShootingTime{};
            });
        QTEST(described(shots), "rows");
        QTEST(read, "read");
        // What was read stays with its file.
        for (const Shot& shot : shots)
            for (const ListedFile& member : shot.members)
                if (const qsizetype k = listed.indexOf(member.name); k >= 0 && k < times.size())
                    QCOMPARE(member.time, timeFrom(times[k]));
    }

    // The time a shot is put in shooting order by.
    void shotTime_data() {
        QTest::addColumn<QStringList>("times");   // its members'
        QTest::addColumn<QList<int>>("offsets");  // their cameras' corrections, in seconds
        QTest::addColumn<int>("member");          // whose time it is; -1: none known
        const auto row = [](const char* name, const QStringList& times, int member,
                            const QList<int>& offsets = {0, 0}) {
            QTest::newRow(name) << times << offsets << member;
        };
        row("the earliest Exif time", {"10:00:01", "10:00:00.500"}, 1);
        row("an Exif time before an earlier file time", {"file 09:00:00", "10:00:00"}, 1);
        row("no Exif: the earliest file time", {"file 09:00:00", "file 08:00:00"}, 1);
        row("corrected times compared", {"10:00:00", "10:30:00"}, 1, {3600, 0});
        row("none known", {"", ""}, -1);
    }
    void shotTime() {
        QFETCH(QStringList, times);
        QFETCH(QList<int>, offsets);
        QFETCH(int, member);
        Shot shot;
        for (qsizetype k = 0; k < times.size(); ++k) {
            ListedFile file{"f." + QByteArray::number(k), 0, timeFrom(times[k])};
            file.time.clockOffsetMsecs = offsets[k] * qint64(1000);
            shot.members.push_back(file);
        }
        const ShootingTime& time = ::shotTime(shot);
        QCOMPARE(time.isKnown(), member >= 0);
        if (member >= 0)
            QCOMPARE(time, shot.members[size_t(member)].time);
    }
};

QTEST_GUILESS_MAIN(TestShots)
#include "test_shots.moc"
