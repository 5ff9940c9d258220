#include <QtTest>

#include <QProcess>
#include <QRandomGenerator>

#include "Inventory.h"
#include "core/rename/BatchHistory.h"

// A run killed with SIGKILL part-way through, again and again on one folder:
// after each kill every file is under its old or its new name with its bytes,
// the renamed ones are exactly the first ones of the list, and the undo from
// the batch's journal brings back exactly those, touching nothing else. A
// second run over what is left renames everything like any run.
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

struct Run {
    bool killed = false;
    int exitCode = -1;
    QByteArray lastLine;
};

// Runs the helper over folder with the given prefix and start number 1. With
// killAfter >= 0 it is killed as soon as it reports that many renames (0: as
// soon as it has read the folder), after a further pause of jitterMicroseconds.
Run runHelper(const QString& journal, const QString& folder, const QByteArray& prefix,
              int killAfter, unsigned long jitterMicroseconds = 0) {
    Run run;
    QProcess helper;
    helper.start(
        QStringLiteral(TOLVANE_CRASH_HELPER),
        {journal, folder, QStringLiteral("*.jpg"), QStringLiteral("1"), QString::fromUtf8(prefix)});
    if (!helper.waitForStarted())
        return run;
    QByteArray pending;
    while (helper.state() != QProcess::NotRunning) {
        if (!helper.waitForReadyRead(30000))
            break;
        pending += helper.readAllStandardOutput();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            run.lastLine = pending.left(end);
            pending.remove(0, end + 1);
        }
        // The first line is "listed N": from then on the count is known.
        const bool listed = !run.lastLine.isEmpty();
        const int count = run.lastLine.startsWith("listed") ? 0 : run.lastLine.toInt();
        if (killAfter >= 0 && listed && count >= killAfter) {
            // A moment anywhere in the rename that follows, not only right
            // after the report.
            QThread::usleep(jitterMicroseconds);
            helper.kill();
            break;
        }
    }
    helper.waitForFinished(120000);
    pending += helper.readAllStandardOutput();
    for (const QByteArray& line : pending.split('\n')) {
        if (!line.isEmpty())
            run.lastLine = line;
    }
    run.killed = helper.exitStatus() == QProcess::CrashExit;
    run.exitCode = helper.exitCode();
    return run;
}

// The undo of the journal's batch; its "undone RESTORED LEFT" line.
QByteArray undoWithHelper(const QString& journal) {
    QProcess helper;
    helper.start(QStringLiteral(TOLVANE_CRASH_HELPER), {journal, QStringLiteral("--undo")});
    if (!helper.waitForFinished(120000) || helper.exitCode() != 0)
        return "exit " + QByteArray::number(helper.exitCode());
    return helper.readAllStandardOutput().trimmed();
}

}  // namespace

class TestCrash : public QObject {
    Q_OBJECT
private slots:
    void killedMidRun() {
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
        for (int k = 0; k < files; ++k) {
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
            const QByteArray killedPrefix = 'k' + QByteArray::number(kill) + '-';
            const QStringList journalsBefore = history.journals();
            const Run killed =
                runHelper(journal, dir.path(), killedPrefix, target, random.bounded(400u));

            std::vector<Photo> photos;
            for (int k = 0; k < files; ++k)
                photos.push_back(
                    {bytes[size_t(k)], names[size_t(k)], numbered(killedPrefix, k + 1, files)});
            photos.push_back({"notes", "notes.txt", "notes.txt"});
            Files now = inventory(root);
            VERIFY_ACCOUNTED_FOR(now, photos);
            const int renamed = movedCount(now, photos);
            for (int k = 0; k < renamed; ++k)
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
            QVERIFY(recorded || renamed == 0);
            // Undone whole, its journal is gone; the older ones stay (the
            // oldest may have made room for it).
            if (recorded) {
                QCOMPARE(undoWithHelper(journal), "undone " + QByteArray::number(renamed) + " 0");
                QVERIFY(!history.journals().contains(journalsAfter.first()));
            }
            QVERIFY(history.journals().size() <= kKeptBatches);
            for (Photo& photo : photos)
                photo.newPath = photo.oldPath;
            now = inventory(root);
            VERIFY_ACCOUNTED_FOR(now, photos);
            photos.pop_back();

            // A whole run over the folder as it is again.
            const QByteArray againPrefix = 'r' + QByteArray::number(kill) + '-';
            const Run again = runHelper(journal, dir.path(), againPrefix, -1);
            QVERIFY(!again.killed);
            QCOMPARE(again.exitCode, 0);
            QCOMPARE(again.lastLine, "done " + QByteArray::number(files) + " 0");
            photos.clear();
            for (int k = 0; k < files; ++k)
                photos.push_back(
                    {bytes[size_t(k)], names[size_t(k)], numbered(againPrefix, k + 1, files)});
            photos.push_back({"notes", "notes.txt", "notes.txt"});
            now = inventory(root);
            VERIFY_ACCOUNTED_FOR(now, photos);
            QCOMPARE(movedCount(now, photos), files);
            for (int k = 0; k < files; ++k)
                names[size_t(k)] = photos[size_t(k)].newPath;
        }
        // Kills that came after the run had ended prove nothing of a crash.
        QVERIFY(landedMidRun >= std::max(1, kills / 2));
    }
};

QTEST_GUILESS_MAIN(TestCrash)
#include "test_crash.moc"
