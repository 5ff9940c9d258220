#include <QtTest>

#include <QProcess>
#include <QRandomGenerator>

#include "CrashHelper.h"
#include "Inventory.h"
#include "core/rename/BatchHistory.h"

// A run killed with SIGKILL part-way through, again and again on one folder:
// after each kill every file is under its old or its new name with its bytes,
// the renamed ones are exactly the first ones of the list, and the undo from
// the batch's journal brings back exactly those, touching nothing else. A
// second run over what is left renames everything like any run. The same
// with the list reversed and the same names given back, the files allowed to
// take each other's names: one file at most is under a spare name when the
// run is killed, and none after the undo.
//
// TOLVANE_LONG_TESTS=1: 20 kills over 32 767 files; otherwise 3 over 5 000.
// TOLVANE_CRASH_SEED picks other moments to kill at.

namespace {

// The new name of the photo with this serial in a run over `files` photos,
// start number 1: the serials are as wide as the last one.
QByteArray numbered(const QByteArray& prefix, int serial, int files) {
    const qsizetype width = QByteArray::number(files).size();
    return prefix + QByteArray::number(serial).rightJustified(width, '0') + ".jpg";
}

// The helper over folder with the given prefix and start number 1, killed as
// runHelper says. reversed: the list reversed, the files allowed to take each
// other's names.
HelperRun runRename(const QString& journal, const QString& folder, const QByteArray& prefix,
                    int killAfter, unsigned long jitterMicroseconds = 0, bool reversed = false) {
    QStringList args{journal, folder, QStringLiteral("*.jpg"), QStringLiteral("1"),
                     QString::fromUtf8(prefix)};
    if (reversed)
        args = QStringList{QStringLiteral("--overlaps"), QStringLiteral("--reverse")} + args;
    return runHelper(args, killAfter, jitterMicroseconds);
}

}  // namespace

class TestCrash : public QObject {
    Q_OBJECT
private slots:
    void killedMidRun_data() {
        QTest::addColumn<bool>("reversed");
        QTest::newRow("in list order") << false;
        QTest::newRow("reversed, names given back") << true;
    }
    void killedMidRun() {
        QFETCH(bool, reversed);
        const bool full = qEnvironmentVariable("TOLVANE_LONG_TESTS") == QLatin1String("1");
        const int files = full ? 32767 : 5000;
        const int kills = full ? 20 : 3;
        const quint32 seed = qEnvironmentVariableIsSet("TOLVANE_CRASH_SEED")
                                 ? quint32(qEnvironmentVariableIntValue("TOLVANE_CRASH_SEED"))
                                 : 1u;
        QRandomGenerator random(seed);
        qInfo("%d kills over %d files, seed %u", kills, files, seed);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray root = QFile::encodeName(dir.path());
        QTemporaryDir settings;  // the journals lie apart from the photos, as beside the settings
        const QString journal = settings.path();
        const BatchHistory history(journal);
        // A file of the folder that no batch lists: the undo must leave it be.
        writeWhole(root + "/notes.txt", "notes");
        // In list order: the bytes of each photo and its present name. The
        // names sort the same bytewise and naturally, so the order is known
        // without asking the program.
        std::vector<QByteArray> bytes(static_cast<size_t>(files));
        std::vector<QByteArray> names(bytes.size());
        // Reversed: the serial each photo's name has now; the run gives the
        // photo of serial s the serial files + 1 - s.
        std::vector<int> serials(bytes.size());
        for (int k = 0; k < files; ++k) {
            serials[size_t(k)] = k + 1;
            names[size_t(k)] = numbered("r0-", k + 1, files);
            bytes[size_t(k)] = photoBytes(names[size_t(k)], k);
            writeWhole(root + '/' + names[size_t(k)], bytes[size_t(k)]);
        }

        int landedMidRun = 0;
        for (int kill = 1; kill <= kills; ++kill) {
            // The moments spread over the run; the first right after listing.
            const int from = (kill - 1) * files / kills;
            const int to = kill * files / kills;
            const int target = kill == 1 ? 0 : from + int(random.bounded(to - from));
            const QByteArray killedPrefix =
                reversed ? QByteArray("r0-") : 'k' + QByteArray::number(kill) + '-';
            const QStringList journalsBefore = history.journals();
            const HelperRun killed = runRename(journal, dir.path(), killedPrefix, target,
                                               random.bounded(400u), reversed);

            const auto newName = [&](const QByteArray& prefix, int k) {
                return numbered(prefix, reversed ? files + 1 - serials[size_t(k)] : k + 1, files);
            };
            std::vector<Photo> photos;
            for (int k = 0; k < files; ++k)
                photos.push_back({bytes[size_t(k)], names[size_t(k)], newName(killedPrefix, k)});
            photos.push_back({"notes", "notes.txt", "notes.txt"});
            Files now = inventory(root);
            std::vector<Photo> notAside = photos;
            const int aside = takeOutSpareNamed(now, notAside);
            QVERIFY(aside <= (reversed ? 1 : 0));
            VERIFY_ACCOUNTED_FOR(now, notAside);
            const int renamed = movedCount(now, photos);
            for (int k = 0; k < renamed && !reversed; ++k)
                QVERIFY2(now.count(photos[size_t(k)].newPath), "renamed out of list order");
            if (renamed > 0 && renamed < files)
                ++landedMidRun;
            qInfo("kill %d: asked after %d renames, landed after %d (%s)", kill, target, renamed,
                  killed.killed ? "killed" : "had finished");

            // The undo brings back exactly the renamed files; nothing is left
            // to undo after it.
            // Killed before it wrote its journal, a batch renamed nothing;
            // the newest journal is then an earlier batch's, not to be undone.
            const QStringList journalsAfter = history.journals();
            const bool recorded =
                !journalsAfter.isEmpty() && !journalsBefore.contains(journalsAfter.first());
            QVERIFY(recorded || renamed + aside == 0);
            // Undone whole, its journal is gone; the older ones stay (the
            // oldest may have made room for it).
            if (recorded) {
                const QByteArray undone = undoWithHelper(journal);
                // Reversed, a step to or from a spare name is a step of its own.
                if (reversed)
                    QVERIFY2(undone.endsWith(" 0"), undone.constData());
                else
                    QCOMPARE(undone, "undone " + QByteArray::number(renamed) + " 0");
                QVERIFY(!history.journals().contains(journalsAfter.first()));
            }
            QVERIFY(history.journals().size() <= kKeptBatches);
            for (Photo& photo : photos)
                photo.newPath = photo.oldPath;
            now = inventory(root);
            VERIFY_ACCOUNTED_FOR(now, photos);
            photos.pop_back();

            // A whole run over the folder as it is again.
            const QByteArray againPrefix =
                reversed ? QByteArray("r0-") : 'r' + QByteArray::number(kill) + '-';
            const HelperRun again = runRename(journal, dir.path(), againPrefix, -1, 0, reversed);
            QVERIFY(!again.killed);
            QCOMPARE(again.exitCode, 0);
            QCOMPARE(again.lastLine, "done " + QByteArray::number(files) + " 0");
            photos.clear();
            for (int k = 0; k < files; ++k)
                photos.push_back({bytes[size_t(k)], names[size_t(k)], newName(againPrefix, k)});
            photos.push_back({"notes", "notes.txt", "notes.txt"});
            now = inventory(root);
            VERIFY_ACCOUNTED_FOR(now, photos);
            // Reversed over an odd count, the middle photo keeps its name.
            QCOMPARE(movedCount(now, photos), reversed ? files - files % 2 : files);
            for (int k = 0; k < files; ++k) {
                names[size_t(k)] = photos[size_t(k)].newPath;
                if (reversed)
                    serials[size_t(k)] = files + 1 - serials[size_t(k)];
            }
        }
        // Kills that came after the run had ended prove nothing of a crash.
        QVERIFY(landedMidRun >= std::max(1, kills / 2));
    }
};

QTEST_GUILESS_MAIN(TestCrash)
#include "test_crash.moc"
