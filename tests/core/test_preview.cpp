#include <QtTest>

#include <filesystem>

#include "Inventory.h"
#include "TestFiles.h"
#include "core/files/FileListing.h"
#include "core/rename/Preview.h"
#include "core/text/NativeName.h"

// What the question before a rename shows in its details: every entry's old
// and new name, from the very plan the run renames by, and the lines where
// the run will stop because the new name is taken.

class TestPreview : public QObject {
    Q_OBJECT
    QTemporaryDir root_{QStringLiteral("/dev/shm/preview-XXXXXX")};

    QByteArray folder(const char* name) const {
        const QByteArray path = QFile::encodeName(root_.path()) + '/' + name;
        std::filesystem::create_directories(path.toStdString());
        return path;
    }

private slots:
    // The preview lines are the names the run gives, from the same plan.
    // With files of one name in one shot, their sidecars go along, and the
    // sidecars that stay (no photo of their name on the list) are named.
    void previewIsWhatTheRunGives_data() {
        QTest::addColumn<bool>("ownName");
        QTest::addColumn<bool>("destination");
        QTest::addColumn<QByteArrayList>("entries");
        QTest::addColumn<bool>("shots");
        QTest::addColumn<QByteArrayList>("others");  // in the folder, off the list
        QTest::addColumn<QByteArrayList>("left");    // the sidecars named as staying
        const auto row = [](const char* name, bool ownName, bool destination,
                            const QByteArrayList& entries, bool shots = false,
                            const QByteArrayList& others = {}, const QByteArrayList& left = {}) {
            QTest::newRow(name) << ownName << destination << entries << shots << others << left;
        };
        row("serial", false, false, {"b.JPG", "a.jpg", "c.d.gif"});
        row("own name", true, false, {"a.jpg", "README"});
        row("destination, dotless", false, true, {"x", "y.png"});
        const QByteArrayList pair{"IMG_1.CR2", "IMG_1.JPG"};
        const QByteArrayList sidecars{"IMG_1.CR2.xmp", "IMG_9.xmp", "IMG_1.txt", ".IMG_1.xmp"};
        row("shots: a sidecar along, one without its photo left", false, false, pair, true,
            sidecars, {"IMG_9.xmp"});
        row("files of one name apart: the sidecars untouched", false, false, pair, false, sidecars);
        row("shots into another folder", true, true, {"a.jpg"}, true, {"a.xmp", "b.thm"},
            {"b.thm"});
    }
    void previewIsWhatTheRunGives() {
        QFETCH(bool, ownName);
        QFETCH(bool, destination);
        QFETCH(QByteArrayList, entries);
        QFETCH(bool, shots);
        QFETCH(QByteArrayList, others);
        QFETCH(QByteArrayList, left);
        const QByteArray source = folder("preview-src");
        const QByteArray target = destination ? folder("preview-dst") : source;
        for (const QByteArray& entry : entries + others)
            writeWhole(source + '/' + entry, entry);
        RenameRequest r = batchRequest(source, entries, QStringLiteral("旅"));
        r.ownName = ownName;
        r.moveToDestination = destination;
        r.destination = fromNative(target);
        if (shots) {
            // The sidecars as the listing gives them: not hidden.
            QByteArrayList listedSidecars;
            for (const QByteArray& name : others) {
                if (isSidecarName(name) && !name.startsWith('.'))
                    listedSidecars << name;
            }
            r.shots = shotsTogether(entries, listedSidecars);
            r.shotsTogether = true;
        }
        PosixFileSystem fs;
        const RenamePlan plan = RenamePlan::make(r, fs);
        const QStringList lines = previewText(plan).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(renamedCount(renameAll(plan, fs)), plan.count());
        QStringList given;
        for (int k = 0; k < plan.count(); ++k) {
            const QByteArray newName = plan.newName(k).toByteArray();
            QVERIFY(QFile::exists(QFile::decodeName(target + '/' + newName)));
            given << QString::fromUtf8(plan.entry(k).toByteArray()) + " → " +
                         QString::fromUtf8(newName);
        }
        if (!left.isEmpty())
            given << QStringLiteral(
                "同じ名前の写真がリストにないため、次のファイルはそのままです:");
        for (const QByteArray& name : left)
            given << QString::fromUtf8(name);
        QCOMPARE(lines, given);
        // Every file of the folder moved but those left and those not sidecars.
        qsizetype stayed = 0;
        for (const QByteArray& name : others)
            stayed += QFile::exists(QFile::decodeName(source + '/' + name)) ? 1 : 0;
        QCOMPARE(plan.count(), entries.size() + others.size() - stayed);
        QCOMPARE(stayed, shots ? others.size() - 1 : others.size());
        std::filesystem::remove_all(source.toStdString());
        std::filesystem::remove_all(target.toStdString());
    }

    // Where the names show shooting times, each line whose name shows a
    // file's own time (its row has no Exif time) says so: that may be the
    // day the file was copied.
    void fileTimesAreMarked_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QStringList>("times");  // of IMG_1.CR2 and IMG_1.JPG, one shot
        QTest::addColumn<bool>("marked");        // every line, IMG_1.xmp's too; else none
        const QString exif = "2024-05-12 10:00:00", own = "file 2024-05-12 10:03:00";
        QTest::newRow("a member's Exif time") << "<時分秒>" << QStringList{own, exif} << false;
        QTest::newRow("no Exif time") << "<年月日>" << QStringList{own, own} << true;
        QTest::newRow("no field") << "旅" << QStringList{own, own} << false;
    }
    void fileTimesAreMarked() {
        QFETCH(QString, prefix);
        RenameRequest r = batchRequest("/f", {}, prefix);
        const QByteArrayList shot{"IMG_1.CR2", "IMG_1.JPG", "IMG_1.xmp"};
        r.shots = shotsTogether(shot);
        QFETCH(QStringList, times);
        giveTimes(r.shots, shot, times);
        PosixFileSystem fs;
        const QStringList lines =
            previewText(RenamePlan::make(r, fs), {}).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QFETCH(bool, marked);
        for (const QString& line : lines)
            QCOMPARE(line.endsWith(QStringLiteral("（ファイルの日時）")), marked);
    }

    // Names compare as the folder compares them; a disk that tells letter
    // case apart may still hold a name in both spellings.
    void letterCaseOfTheFolder() {
        for (const QByteArrayList& present :
             {QByteArrayList{"a.jpg"}, QByteArrayList{"a.jpg", "A.JPG"}}) {
            const QByteArray at = folder("case");
            for (const QByteArray& name : present)
                writeWhole(at + '/' + name, name);
            QVERIFY2(!ignoresLetterCase(at, {present.front()}), present.back().constData());
            std::filesystem::remove_all(at.toStdString());
        }
    }

    void takenNames_data() {
        QTest::addColumn<QByteArrayList>("present");  // in the target folder
        QTest::addColumn<QByteArrayList>("entries");
        QTest::addColumn<bool>("ignoresCase");
        QTest::addColumn<bool>("overlaps");  // the files may take each other's names
        QTest::addColumn<QList<int>>("taken");
        QTest::addColumn<bool>("byBatchFile");  // the first taken name is a batch file's
        const auto row = [](const char* name, const QByteArrayList& present,
                            const QByteArrayList& entries, bool ignoresCase, bool overlaps,
                            const QList<int>& taken, bool byBatchFile) {
            QTest::newRow(name) << present << entries << ignoresCase << overlaps << taken
                                << byBatchFile;
        };
        row("a file off the list holds a new name", {"1.jpg", "a.jpg", "b.jpg"}, {"a.jpg", "b.jpg"},
            false, false, {0}, false);
        row("renamed away before its name is wanted", {"2.jpg", "x.jpg"}, {"2.jpg", "x.jpg"}, false,
            false, {}, false);
        row("wanted before it is renamed away", {"a.jpg", "1.jpg"}, {"a.jpg", "1.jpg"}, false,
            false, {0}, true);
        // Only the file off the list is in the way: the ring before it is not.
        row("swap, then a file off the list, overlaps allowed",
            {"1.jpg", "2.jpg", "b.jpg", "3.jpg"}, {"2.jpg", "1.jpg", "b.jpg"}, false, true, {2},
            false);
        // A chain whose free end is held off the list: it stops there, first;
        // the files behind it are only held up, by names of the batch.
        row("shift into a file off the list, overlaps allowed",
            {"a.jpg", "1.jpg", "2.jpg", "3.jpg"}, {"a.jpg", "1.jpg", "2.jpg"}, false, true, {2},
            false);
        row("already so named", {"1.jpg"}, {"1.jpg"}, false, false, {}, false);
        row("other case, told apart", {"1.JPG", "a.jpg"}, {"a.jpg"}, false, false, {}, false);
        row("other case on a card", {"1.JPG", "a.jpg"}, {"a.jpg"}, true, false, {0}, false);
    }
    void takenNames() {
        QFETCH(QByteArrayList, present);
        QFETCH(QByteArrayList, entries);
        QFETCH(bool, ignoresCase);
        QFETCH(bool, overlaps);
        QFETCH(QList<int>, taken);
        QFETCH(bool, byBatchFile);
        RenameRequest r = batchRequest("/f", entries, {});
        r.allowNameOverlaps = overlaps;
        PosixFileSystem fs;
        const RenamePlan plan = RenamePlan::make(r, fs);
        const std::vector<TakenName> found = takenNewNames(
            plan, std::vector<QByteArray>(present.begin(), present.end()), ignoresCase);
        QList<int> entriesFound;
        for (const TakenName& name : found)
            entriesFound << name.entry;
        QCOMPARE(entriesFound, taken);
        QCOMPARE(!found.empty() && found.front().byBatchFile, byBatchFile);
        // Where a file of the batch is in the way, the first line names the
        // item that lets the run go on.
        const QString text = previewText(plan, found);
        QCOMPARE(text.startsWith(QStringLiteral("同じ名前のファイルがあるため")),
                 !taken.isEmpty() && !byBatchFile);
        QCOMPARE(
            text.section(u'\n', 0, 0).contains(u"「変換するファイル同士の名前の重なりを許す」"),
            byBatchFile);
    }

    // A new name too long for the file system stops the batch before any
    // file moves: its line is marked, and named first.
    void unfitNameIsMarked() {
        const QByteArray longName = QByteArray(251, 'a') + ".jpg";
        RenameRequest r = batchRequest("/f", {"b.jpg", longName, "c.jpg"}, {});
        r.ownName = true;
        PosixFileSystem fs;
        const RenamePlan plan = RenamePlan::make(r, fs);
        const QString unfit = QString::fromLatin1(longName) + " → " + QString(251, u'a') + "2.jpg";
        QCOMPARE(previewText(plan, {}).split(u'\n', Qt::SkipEmptyParts),
                 (QStringList{"使えない名前があるため、ファイルは変換しません: " + unfit,
                              "b.jpg → b1.jpg", unfit + "  ← 名前が長すぎます", "c.jpg → c3.jpg"}));
    }
};

QTEST_GUILESS_MAIN(TestPreview)
#include "test_preview.moc"
