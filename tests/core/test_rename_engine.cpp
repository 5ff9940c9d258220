#include <QtTest>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "core/rename/BatchJournal.h"
#include "core/rename/RenameCommand.h"
#include "core/rename/RenameEngine.h"
#include "core/rename/RenameFallback.h"
#include "core/rename/RenameTexts.h"
#include "core/rename/Undo.h"
#include "core/text/NativeName.h"

#include "TestFiles.h"

namespace {

using Contents = std::map<QByteArray, QByteArray>;  // file name -> what it holds

// A real folder; each file holds its first name, so a test sees which file
// ended up under which name.
struct Folder {
    ScratchFolder dir;
    explicit Folder(const QString& base = QDir::tempPath()) : dir(base + "/rename-XXXXXX") {}
    QByteArray path() const { return toNative(dir.path()); }
    void create(const QByteArrayList& names) const {
        for (const QByteArray& name : names)
            std::ofstream(std::string((path() + '/' + name).constData())) << name.constData();
    }
    Contents contents() const {
        Contents files;
        for (const auto& e : std::filesystem::directory_iterator(path().toStdString())) {
            std::ifstream in(e.path());
            const std::string text((std::istreambuf_iterator<char>(in)), {});
            files[QByteArray::fromStdString(e.path().filename().string())] =
                QByteArray::fromStdString(text);
        }
        return files;
    }
};

Contents renamedTo(const QByteArrayList& from, const QByteArrayList& to) {
    Contents files;
    for (qsizetype k = 0; k < from.size(); ++k)
        files[to[k]] = from[k];
    return files;
}

// The entries as the list holds them with files of one name in one shot (in
// the plan's order: a shot's members, then its sidecars); a file of a name
// of its own is a row of its own, as with that item off.
RenameRequest requestFor(const Folder& folder, const QByteArrayList& entries,
                         const QString& start) {
    RenameRequest request;
    request.folder = fromNative(folder.path());
    request.destination = request.folder;
    request.startNumber = start;
    request.shots = shotsTogether(entries);
    return request;
}

// The plan and its run, as the rename command makes and runs them.
struct Run {
    Run(const RenameRequest& request, FileSystem& fs)
        : plan(RenamePlan::make(request, fs)), outcome(renameAll(plan, fs)) {}
    RenamePlan plan;
    RenameOutcome outcome;
    std::optional<Message> message() const { return stopMessage(plan, outcome); }
};

// The real file system, except that the failAt-th rename fails with error;
// with error 0 it goes through, and then 中止 is pressed.
struct FailingFileSystem : PosixFileSystem {
    int failAt = -1, error = 0, calls = 0;
    std::function<void()> beforeFailing = [] {};
    TaskProgress progress;
    int renameNoReplace(const QByteArray& from, const QByteArray& to) override {
        if (calls++ != failAt)
            return PosixFileSystem::renameNoReplace(from, to);
        progress.stopRequested = error == 0;
        beforeFailing();
        return error == 0 ? PosixFileSystem::renameNoReplace(from, to) : error;
    }
};

// overlaps: the files may take each other's names; steps: the renames the
// plan takes, when not one an entry.
void addBatch(const char* name, bool ownName, const QString& start, const QString& prefix,
              const QString& suffix, const QByteArrayList& entries, const QByteArrayList& names,
              bool overlaps = false, int steps = -1) {
    QTest::newRow(name) << ownName << start << prefix << suffix << entries << names << overlaps
                        << (steps < 0 ? int(entries.size()) : steps) << QStringList() << false;
}

// times: each entry's (see shootingTimeOf); perDay: the serials start again
// each day.
void addDated(const char* name, const QString& start, const QString& prefix, const QString& suffix,
              const QByteArrayList& entries, const QStringList& times, const QByteArrayList& names,
              bool perDay = false) {
    QTest::newRow(name) << false << start << prefix << suffix << entries << names << false
                        << int(entries.size()) << times << perDay;
}

const QString folderMissing =
    "保存先フォルダーが存在しないので処理できませんでした.\r\n\r\na.jpg "
    "より後のファイルが変換できませんでした.\r\nフォルダーが見つかりません";
const QString otherDrive =
    "エラーによって処理できませんでした.\r\n\r\na.jpg "
    "より後のファイルが変換できませんでした.\r\n別のドライブへは移動できません";

}  // namespace

Q_DECLARE_METATYPE(StopReason)
Q_DECLARE_METATYPE(RenameOutcome)
Q_DECLARE_METATYPE(std::optional<StopReason>)

class TestRenameEngine : public QObject {
    Q_OBJECT
private slots:
    void batches_data() {
        QTest::addColumn<bool>("ownName");
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QByteArrayList>("entries");
        QTest::addColumn<QByteArrayList>("names");
        QTest::addColumn<bool>("overlaps");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QStringList>("times");
        QTest::addColumn<bool>("perDay");
        const QByteArrayList photos{"a.JPG", "b.jpg", "c.d.gif"};
        const QByteArrayList five{"p.jpg", "q.jpg", "r.jpg", "s.jpg", "t.jpg"};
        addBatch("serial", false, "9", "trip-", "-x", photos,
                 {"trip-09-x.JPG", "trip-10-x.jpg", "trip-11-x.gif"});
        addBatch("own name", true, "9", "trip-", "-x", photos, {"a09.JPG", "b10.jpg", "c.d11.gif"});
        addBatch("98 over five", false, "98", "", "", five,
                 {"098.jpg", "099.jpg", "100.jpg", "101.jpg", "102.jpg"});
        addBatch("typed width", false, "007", "", "", five.first(3),
                 {"007.jpg", "008.jpg", "009.jpg"});
        addBatch("up to 32767", false, "32765", "", "", five.first(3),
                 {"32765.jpg", "32766.jpg", "32767.jpg"});
        addBatch("several dots", false, "1", "x", "", {"a.b.c.TXT"}, {"x1.TXT"});
        addBatch("no dot", false, "1", "x", "y", {"README"}, {"x1y"});
        addBatch("own name, no dot", true, "1", "", "", {"README"}, {"README1"});
        addBatch("already so named", false, "001", "", "", {"001.jpg", "002.jpg"},
                 {"001.jpg", "002.jpg"});
        addBatch("not UTF-8", true, "1", "", "", {"\x8e\xca\x90\x5e.jpg"},
                 {"\x8e\xca\x90\x5e"
                  "1.jpg"});
        addBatch("Japanese prefix", false, "1", "写真", "", {"\x8e\xca.jpg"}, {"写真1.jpg"});
        // Names the batch itself frees, where the files may take them: a
        // chain runs from its free end, a ring takes one spare name.
        const QByteArrayList trips{"trip1.jpg", "trip2.jpg", "trip3.jpg", "trip4.jpg", "trip5.jpg"};
        const QByteArray sj = "\x8e\xca";
        addBatch("shift by one", false, "2", "trip", "", trips.first(3), trips.sliced(1, 3), true);
        addBatch("shift by many", false, "3", "trip", "", trips.first(3), trips.sliced(2), true);
        addBatch("put in another order", false, "1", "trip", "",
                 {"trip3.jpg", "trip1.jpg", "trip5.jpg", "trip2.jpg", "trip4.jpg"}, trips, true, 6);
        addBatch("reversed", false, "1", "trip", "",
                 {"trip5.jpg", "trip4.jpg", "trip3.jpg", "trip2.jpg", "trip1.jpg"}, trips, true, 7);
        addBatch("swap of two", false, "1", "", "", {"2.jpg", "1.jpg"}, {"1.jpg", "2.jpg"}, true,
                 3);
        addBatch("some names overlap", false, "1", "", "", {"a.jpg", "3.jpg", "b.jpg", "1.jpg"},
                 {"1.jpg", "2.jpg", "3.jpg", "4.jpg"}, true);
        addBatch("own names in a chain", true, "1", "", "", {"a.jpg", "a1.jpg"},
                 {"a1.jpg", "a12.jpg"}, true);
        addBatch("not UTF-8, swapped", false, "1", fromNative(sj), "", {sj + "2.jpg", sj + "1.jpg"},
                 {sj + "1.jpg", sj + "2.jpg"}, true, 3);
        // Shots: the files of one name take one number, each keeping what
        // follows the name (a sidecar its photo's extension too).
        addBatch("shots with their sidecars", false, "1", "s", "",
                 {"IMG_0001.CR2", "IMG_0001.JPG", "IMG_0001.CR2.xmp", "IMG_0002.CR2",
                  "IMG_0002.JPG", "IMG_0002.xmp"},
                 {"s1.CR2", "s1.JPG", "s1.CR2.xmp", "s2.CR2", "s2.JPG", "s2.xmp"});
        addBatch("shots: own name, several dots", true, "1", "", "",
                 {"a.b.cr2", "a.b.JPG", "a.JPG"}, {"a.b1.cr2", "a.b1.JPG", "a2.JPG"});
        addBatch("shots: the width of the rows' last serial", false, "1", "", "",
                 {"a.jpg", "a.raw", "b.jpg", "b.raw", "c.jpg", "c.raw", "d.jpg", "d.raw", "e.jpg",
                  "e.raw"},
                 {"1.jpg", "1.raw", "2.jpg", "2.raw", "3.jpg", "3.raw", "4.jpg", "4.raw", "5.jpg",
                  "5.raw"});
        addBatch("shots: extensions in other case", false, "1", "s", "", {"IMG_1.JPG", "IMG_1.jpg"},
                 {"s1.JPG", "s1.jpg"});
        addBatch("shots shifted by one in place", false, "2", "s", "",
                 {"s1.CR2", "s1.JPG", "s2.CR2", "s2.JPG"}, {"s2.CR2", "s2.JPG", "s3.CR2", "s3.JPG"},
                 true);
        addBatch("shots swapped in place", false, "1", "s", "",
                 {"s2.CR2", "s2.JPG", "s2.xmp", "s1.CR2", "s1.JPG"},
                 {"s1.CR2", "s1.JPG", "s1.xmp", "s2.CR2", "s2.JPG"}, true, 7);
        // Shooting-time fields: each row's corrected time, a shot's Exif
        // time before a file's own; in list order, whatever the times.
        const QByteArrayList abc{"a.jpg", "b.jpg", "c.jpg"};
        const QStringList twoDays{"2024-05-12 10:00:00", "2024-05-12 18:30:00",
                                  "2024-05-13 07:00:00"};
        addDated("date field", "1", "<年月日>_kyoto_", "", abc, twoDays,
                 {"20240512_kyoto_1.jpg", "20240512_kyoto_2.jpg", "20240513_kyoto_3.jpg"});
        addDated("date field, each day from the start", "1", "<年月日>_kyoto_", "", abc, twoDays,
                 {"20240512_kyoto_1.jpg", "20240512_kyoto_2.jpg", "20240513_kyoto_1.jpg"}, true);
        addDated("each day from the start, one width: the longest day's", "9", "<年月日>_", "", abc,
                 twoDays, {"20240512_09.jpg", "20240512_10.jpg", "20240513_09.jpg"}, true);
        addDated("fields in both boxes, two files of one second", "01", "<年-月-日>_", "_<時分秒>",
                 abc.first(2), {"2024-05-12 09:30:15", "2024-05-12 09:30:15"},
                 {"2024-05-12_01_093015.jpg", "2024-05-12_02_093015.jpg"});
        addDated("a camera's correction past midnight", "1", "<年月日><時分秒>_", "", abc.first(2),
                 {"2024-05-12 23:00:00", "2024-05-12 23:30:00 +3600"},
                 {"20240512230000_1.jpg", "20240513003000_1.jpg"}, true);
        addDated("each day, no day shown: one count", "1", "<時分秒>_", "", abc.first(2),
                 {"2024-05-12 09:30:15", "2024-05-13 09:30:15"}, {"093015_1.jpg", "093015_2.jpg"},
                 true);
        addDated("each day, no field: one count", "1", "x", "", abc.first(2),
                 {"2024-05-12 09:30:15", "2024-05-13 09:30:15"}, {"x1.jpg", "x2.jpg"}, true);
        addDated("a shot: a member's Exif time, not a file's own", "1", "<年月日>_", "",
                 {"IMG_1.CR2", "IMG_1.JPG", "IMG_1.xmp"},
                 {"file 2024-05-11 08:00:00", "2024-05-12 10:00:00", ""},
                 {"20240512_1.CR2", "20240512_1.JPG", "20240512_1.xmp"});
        addDated("the file's own time, where no Exif", "1", "<年月日>_", "", {"a.png"},
                 {"file 2024-05-14 08:00:00"}, {"20240514_1.png"});
        addDated("before 1970, and a leap day", "1", "<年-月-日>_", "", abc.first(2),
                 {"1969-12-31 23:59:59", "2024-02-29 00:00:00"},
                 {"1969-12-31_1.jpg", "2024-02-29_2.jpg"});
    }
    void batches() {
        QFETCH(bool, ownName);
        QFETCH(QString, start);
        QFETCH(QString, prefix);
        QFETCH(QString, suffix);
        QFETCH(QByteArrayList, entries);
        QFETCH(QByteArrayList, names);
        Folder folder;
        folder.create(entries);
        RenameRequest request = requestFor(folder, entries, start);
        request.ownName = ownName;
        request.prefix = prefix;
        request.suffix = suffix;
        QFETCH(bool, overlaps);
        request.allowNameOverlaps = overlaps;
        QFETCH(QStringList, times);
        QFETCH(bool, perDay);
        if (!times.isEmpty())
            giveTimes(request.shots, entries, times);
        request.restartSerialsEachDay = perDay;
        PosixFileSystem fs;
        const Run run(request, fs);
        QVERIFY(run.outcome == RenameOutcome(RenameFinished{int(entries.size())}));
        QTEST(run.plan.stepCount(), "steps");
        QCOMPARE(stopNumber(run.outcome), 0);
        QVERIFY(!run.message());
        QCOMPARE(folder.contents(), renamedTo(entries, names));
        // The plan holds the names the run gave.
        for (int k = 0; k < run.plan.count(); ++k)
            QCOMPARE(run.plan.newName(k).toByteArray(), names[k]);
    }

    void destinations_data() {
        QTest::addColumn<QString>("base");  // where the destination is made; empty: removed at once
        QTest::addColumn<std::optional<StopReason>>("stop");  // nothing: it went through
        QTest::addColumn<QString>("text");
        QTest::newRow("same file system")
            << QDir::tempPath() << std::optional<StopReason>() << QString();
        QTest::newRow("removed") << QString() << std::optional(StopReason::FolderMissing)
                                 << folderMissing;
        QTest::newRow("another file system")
            << "/dev/shm" << std::optional(StopReason::AccessError) << otherDrive;
    }
    void destinations() {
        QFETCH(QString, base);
        QFETCH(std::optional<StopReason>, stop);
        QFETCH(QString, text);
        if (base == "/dev/shm" &&
            (!QStorageInfo(base).isValid() ||
             QStorageInfo(base).rootPath() == QStorageInfo(QDir::tempPath()).rootPath()))
            QSKIP("no second file system at hand");
        const QByteArrayList entries{"a.jpg", "b.png"};
        Folder source;
        source.create(entries);
        auto destination = std::make_unique<Folder>(base.isEmpty() ? QDir::tempPath() : base);
        RenameRequest request = requestFor(source, entries, "1");
        request.moveToDestination = true;
        request.destination = fromNative(destination->path());
        if (base.isEmpty())
            destination.reset();
        PosixFileSystem fs;
        const Run run(request, fs);
        const auto* stopped = std::get_if<RenameStopped>(&run.outcome);
        QCOMPARE(stopped ? std::optional(stopped->reason) : std::nullopt, stop);
        if (!stop) {
            QVERIFY(run.outcome == RenameOutcome(RenameFinished{2}));
            QVERIFY(source.contents().empty());
            QCOMPARE(destination->contents(), renamedTo(entries, {"1.jpg", "2.png"}));
        } else {
            QCOMPARE(*run.message(), Message(text));
            QCOMPARE(source.contents(), renamedTo(entries, entries));
            if (destination)
                QVERIFY(destination->contents().empty());
        }
    }

    void collisionWithLaterEntry() {
        const QByteArrayList entries{"a.jpg", "b.jpg", "2.jpg"};
        Folder folder;
        folder.create(entries);
        PosixFileSystem fs;
        const Run run(requestFor(folder, entries, "1"), fs);
        QVERIFY(run.outcome == RenameOutcome(RenameStopped{1, StopReason::NameTaken, EEXIST, 1}));
        QCOMPARE(renamedCount(run.outcome), 1);
        QCOMPARE(run.plan.entry(1), "b.jpg");
        QCOMPARE(run.plan.newName(1), "2.jpg");
        QCOMPARE(*run.message(), Message("保存先に同じ名前が存在しています.\r\n\r\nb.jpg "
                                         "より後のファイルが変換できませんでした.",
                                         "注意", Icon::Warning));
        QCOMPARE(folder.contents(), renamedTo(entries, {"1.jpg", "b.jpg", "2.jpg"}));
    }

    void refusedBeforeAnyFile() {
        FailingFileSystem fs;
        RenameRequest empty = requestFor(Folder(), {"a.jpg", "b.jpg"}, "");
        empty.ownName = true;
        const Run notNumber(empty, fs);
        QVERIFY(notNumber.outcome == RenameOutcome(PlanRefusal{StopReason::BadStartNumber}));
        QCOMPARE(stopNumber(notNumber.outcome), 13);
        QCOMPARE(renamedCount(notNumber.outcome), 0);
        QCOMPARE(notNumber.message()->text, "開始番号を正しく入力してください.");
        const Run overflow(requestFor(Folder(), {"a.jpg", "b.jpg"}, "32767"), fs);
        QVERIFY(overflow.outcome == RenameOutcome(PlanRefusal{StopReason::SerialOverflow}));
        QCOMPARE(stopNumber(overflow.outcome), 6);
        QCOMPARE(overflow.message()->text, "連番が32767を超えるため処理できません.");
        QCOMPARE(fs.calls, 0);
    }

    void failureMidway_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("removeDestination");
        QTest::addColumn<bool>("removeSource");
        QTest::addColumn<StopReason>("stop");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("reason");  // the message's last line
        using R = StopReason;
        QTest::newRow("exists") << EEXIST << false << false << R::NameTaken << 58 << QString();
        QTest::newRow("destination gone")
            << ENOENT << true << false << R::FolderMissing << 53 << "フォルダーが見つかりません";
        QTest::newRow("file gone")
            << ENOENT << false << false << R::AccessError << 75 << "ファイルが見つかりません";
        QTest::newRow("files' folder gone")
            << ENOENT << false << true << R::FolderGone << 75 << "フォルダーが見つかりません";
        QTest::newRow("both folders gone")
            << ENOENT << true << true << R::FolderGone << 75 << "フォルダーが見つかりません";
        QTest::newRow("no permission")
            << EACCES << false << false << R::AccessError << 75 << "アクセスが拒否されました";
        QTest::newRow("unknown") << 4321 << false << false << R::AccessError << 75
                                 << "エラー番号 4321";
    }
    void failureMidway() {
        QFETCH(int, error);
        QFETCH(bool, removeDestination);
        QFETCH(bool, removeSource);
        QFETCH(QString, reason);
        const QByteArrayList entries{"a.jpg", "b.jpg", "c.jpg", "d.jpg"};
        auto source = std::make_unique<Folder>();
        auto destination = std::make_unique<Folder>();
        source->create(entries);
        RenameRequest request = requestFor(*source, entries, "1");
        request.moveToDestination = true;
        request.destination = fromNative(destination->path());
        FailingFileSystem fs;
        fs.failAt = 1;
        fs.error = error;
        fs.beforeFailing = [&] {
            if (removeDestination)
                destination.reset();
            if (removeSource)
                source.reset();
        };
        const Run run(request, fs);
        QFETCH(StopReason, stop);
        QVERIFY(run.outcome == RenameOutcome(RenameStopped{1, stop, error, 1}));
        QTEST(stopNumber(run.outcome), "number");
        QCOMPARE(renamedCount(run.outcome), 1);
        QCOMPARE(fs.calls, 2);
        QVERIFY(run.message().has_value());
        // The file it stopped at, and why, below the first line.
        const QStringList lines = run.message()->text.split(QStringLiteral("\r\n"));
        if (reason.isEmpty()) {
            QCOMPARE(lines.size(), 3);
        } else {
            QCOMPARE(lines.size(), 4);
            QCOMPARE(lines[2], QStringLiteral("b.jpg より後のファイルが変換できませんでした."));
            QCOMPARE(lines[3], reason);
        }
        if (!removeDestination)
            QCOMPARE(destination->contents(), renamedTo({"a.jpg"}, {"1.jpg"}));
        if (!removeSource)
            QCOMPARE(source->contents(), renamedTo(entries.sliced(1), entries.sliced(1)));
    }

    // Where the files may take each other's names, a name held off the list
    // or a failing rename still stops the run at its entry, a ring half done
    // is taken back, and 中止 finishes or takes back a ring, whichever is
    // shorter; the report counts the files renamed. Into another folder it
    // all goes as in list order. The undo brings every name back.
    void interrupted_data() {
        QTest::addColumn<QByteArrayList>("entries");
        QTest::addColumn<QByteArrayList>("outside");  // off the list, in the target folder
        QTest::addColumn<QString>("start");           // the prefix is "p"
        QTest::addColumn<bool>("destination");
        QTest::addColumn<int>("failAt");  // the rename that fails with EACCES, or after which
        QTest::addColumn<int>("error");   // 中止 is pressed (error 0)
        QTest::addColumn<RenameOutcome>("outcome");
        QTest::addColumn<QString>("message");
        const QString taken = "保存先に同じ名前が存在しています.\r\n\r\n";
        const QString failed = "エラーによって処理できませんでした.\r\n\r\n";
        const QString cancelled = "変換を中止しました.\r\n\r\n";
        const QString denied = "アクセスが拒否されました\r\n";
        const auto counts = [](int done, int left) {
            return QString("変換したファイルは %1 個、変換していないファイルは %2 個です.")
                .arg(done)
                .arg(left);
        };
        const QByteArrayList three{"p1.jpg", "p2.jpg", "p3.jpg"};
        const QByteArrayList ring{"p3.jpg", "p1.jpg", "p5.jpg", "p2.jpg", "p4.jpg", "x.jpg"};
        using R = StopReason;
        QTest::newRow("shift held at its free end")
            << three << QByteArrayList{"p4.jpg"} << "2" << false << -1 << 0
            << RenameOutcome(RenameStopped{2, R::NameTaken, EEXIST, 0})
            << taken + "p3.jpg が変換できませんでした.\r\n" + counts(0, 3);
        QTest::newRow("a ring, then a chain held")
            << QByteArrayList{"p2.jpg", "p1.jpg", "a.jpg", "b.jpg"} << QByteArrayList{"p4.jpg"}
            << "1" << false << -1 << 0 << RenameOutcome(RenameStopped{3, R::NameTaken, EEXIST, 3})
            << taken + "b.jpg が変換できませんでした.\r\n" + counts(3, 1);
        QTest::newRow("a ring failing half-way: taken back")
            << ring << QByteArrayList{} << "1" << false << 2 << EACCES
            << RenameOutcome(RenameStopped{4, R::AccessError, EACCES, 0})
            << failed + "p4.jpg が変換できませんでした.\r\n" + denied + counts(0, 6);
        // A file that keeps its name, then a ring: the journal's end counts
        // steps, not files, or the undo would miss the ring's last step.
        QTest::newRow("a name kept, a ring, then held")
            << QByteArrayList{"p1.jpg", "p3.jpg", "p2.jpg", "x.jpg"} << QByteArrayList{"p4.jpg"}
            << "1" << false << -1 << 0 << RenameOutcome(RenameStopped{3, R::NameTaken, EEXIST, 3})
            << taken + "x.jpg が変換できませんでした.\r\n" + counts(3, 1);
        QTest::newRow("into another folder")
            << QByteArrayList{"a.jpg", "p2.jpg"} << QByteArrayList{"p2.jpg"} << "1" << true << -1
            << 0 << RenameOutcome(RenameStopped{1, R::NameTaken, EEXIST, 1})
            << taken + "p2.jpg より後のファイルが変換できませんでした.";
        QTest::newRow("中止, one file aside: taken back")
            << QByteArrayList{"p2.jpg", "p1.jpg"} << QByteArrayList{} << "1" << false << 0 << 0
            << RenameOutcome(RenameCancelled{0}) << cancelled + "ファイルは変換していません.";
        QTest::newRow("中止, a ring of five half done: finished")
            << ring << QByteArrayList{} << "1" << false << 2 << 0
            << RenameOutcome(RenameCancelled{5}) << cancelled + counts(5, 1);
        // A shot takes its number whole: 中止 waits for its last file; a file
        // of it that fails stops the run there, named.
        const QByteArrayList shots{"p1.CR2", "p1.JPG", "p1.xmp", "q.CR2", "q.JPG"};
        QTest::newRow("中止 in the middle of a shot: the shot finished")
            << shots << QByteArrayList{} << "2" << false << 0 << 0
            << RenameOutcome(RenameCancelled{3})
            << cancelled + "p1.xmp より後のファイルは変換していません.";
        QTest::newRow("a shot's file failing: the stop names it")
            << shots << QByteArrayList{} << "2" << false << 1 << EACCES
            << RenameOutcome(RenameStopped{1, R::AccessError, EACCES, 1})
            << failed +
                   "p1.JPG より後のファイルが変換できませんでした.\r\nアクセスが拒否されました";
    }
    void interrupted() {
        QFETCH(QByteArrayList, entries);
        QFETCH(QByteArrayList, outside);
        QFETCH(bool, destination);
        Folder folder;
        Folder elsewhere;
        const Folder& target = destination ? elsewhere : folder;
        folder.create(entries);
        target.create(outside);
        QFETCH(QString, start);
        RenameRequest request = requestFor(folder, entries, start);
        request.prefix = "p";
        request.allowNameOverlaps = true;
        request.moveToDestination = destination;
        request.destination = fromNative(target.path());
        FailingFileSystem fs;
        QFETCH(int, failAt);
        QFETCH(int, error);
        fs.failAt = failAt;
        fs.error = error;
        // Known by inode, as listed: a file off the list that looks alike
        // is never taken for one of them.
        const auto asListed = [&](ListedFile& file) {
            file.inode = fs.identify(folder.path() + '/' + file.name)->inode;
        };
        for (Shot& shot : request.shots) {
            std::for_each(shot.members.begin(), shot.members.end(), asListed);
            std::for_each(shot.sidecars.begin(), shot.sidecars.end(), asListed);
        }
        const ScratchFolder settings;
        const QString journal = settings.filePath(QStringLiteral("Tolvane.undo"));
        const RenamePlan plan = RenamePlan::make(request, fs);
        const RenameOutcome outcome = renameAll(plan, fs, &fs.progress, journal);
        QTEST(outcome, "outcome");
        QTEST(stopMessage(plan, outcome)->text, "message");
        // The first to take their new names in the plan's order have them.
        Contents there = renamedTo(outside, outside);
        Contents here = renamedTo(entries, entries);
        for (int done = 0; done < renamedCount(outcome); ++done) {
            const int k = plan.entryInTurn(done);
            here.erase(entries[k]);
            there[plan.newName(k).toByteArray()] = entries[k];
        }
        if (!destination)
            here.merge(there);
        QCOMPARE(folder.contents(), here);
        if (destination)
            QCOMPARE(elsewhere.contents(), there);

        fs.failAt = -1;
        if (const std::optional<BatchRecord> record = readJournal(journal))
            QVERIFY(remainingAfter(*record, undoBatch(*record, fs)).entries.empty());
        QCOMPARE(folder.contents(),
                 renamedTo(entries + (destination ? QByteArrayList{} : outside),
                           entries + (destination ? QByteArrayList{} : outside)));
    }

    // Each way of renaming moves to a free name and refuses a taken one, even
    // when the file taking it looks just like the file being renamed, or is
    // that very file under a second hard link. A name that leads to the file
    // itself, as a name in other letter case does on a card, is its to take.
    void noReplace_data() {
        QTest::addColumn<int>("way");
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("error");
        QTest::addColumn<QByteArray>("after");  // the name the file then has
        struct Row {
            const char* what;
            const char* from;
            const char* to;
            int error;
            const char* after;
        };
        // a and b: one byte each, one modification time; link: photo's second name.
        const Row rows[] = {
            {"free name", "a", "c", 0, "c"},
            {"taken name", "a", "photo", EEXIST, "a"},
            {"taken by a look-alike", "a", "b", EEXIST, "a"},
            {"taken by a hard link of the file", "photo", "link", EEXIST, "photo"},
            {"missing file", "d", "c", ENOENT, "d"},
            {"the file itself, spelt another way", "a", "./a", 0, "a"},
        };
        const char* ways[] = {"kernel flag", "link and unlink", "check then rename"};
        for (int way = 0; way < 3; ++way) {
            for (const Row& row : rows)
                QTest::addRow("%s: %s", ways[way], row.what)
                    << way << QByteArray(row.from) << QByteArray(row.to) << row.error
                    << QByteArray(row.after);
        }
    }
    void noReplace() {
        QFETCH(int, way);
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QByteArray, after);
        PosixFileSystem fs;
        const auto rename = [&](const QByteArray& from, const QByteArray& to) {
            return way == 0 ? fs.renameNoReplace(from, to)
                            : (way == 1 ? renameByLink(from, to) : renameAfterCheck(from, to));
        };
        // On tmpfs where there is one: a file system that has hard links.
        Folder folder(QFileInfo(QStringLiteral("/dev/shm")).isDir() ? QStringLiteral("/dev/shm")
                                                                    : QDir::tempPath());
        folder.create({"a", "b", "photo"});
        const QByteArray dir = folder.path() + '/';
        namespace stdfs = std::filesystem;
        stdfs::last_write_time(stdfs::path((dir + "b").constData()),
                               stdfs::last_write_time(stdfs::path((dir + "a").constData())));
        stdfs::create_hard_link((dir + "photo").constData(), (dir + "link").constData());
        Contents expected = renamedTo({"a", "b", "photo", "photo"}, {"a", "b", "photo", "link"});
        if (after != from)
            expected[after] = expected.extract(from).mapped();

        QTEST(rename(dir + from, dir + to), "error");
        QCOMPARE(folder.contents(), expected);
        QVERIFY(fs.folderExists(folder.path()));
        QVERIFY(!fs.folderExists(dir + "photo"));
    }
};

QTEST_GUILESS_MAIN(TestRenameEngine)
#include "test_rename_engine.moc"
