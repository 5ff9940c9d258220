#include <QtTest>

#include <QProcess>
#include <QThread>

#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "Inventory.h"
#include "TestFiles.h"
#include "core/files/FileListing.h"
#include "core/rename/BatchHistory.h"
#include "core/rename/Preview.h"
#include "core/rename/RenameEngine.h"
#include "core/rename/RenameTexts.h"
#include "core/rename/Undo.h"

// Renames on camera cards: exFAT and FAT32 images mounted through FUSE by the
// card tool. A card ignores letter case, so a rename that changes only the
// case finds its new name "taken" by the file itself; a file must still never
// take the name of another file that differs from it in case only. The undo
// brings back what a batch renamed, and nothing else, also after the batch
// was killed and the card put in again.

namespace {

QString cardTool() {
    const QString set = qEnvironmentVariable("TOLVANE_CARD_TOOL");
    return set.isEmpty() ? QStringLiteral(TOLVANE_CARD_TOOL) : set;
}

// A card mounted until the object goes, however the test ends. Mounting
// needs root, /dev/fuse and a loop device, and the tool installs the FUSE
// drivers on first use: where any of that is missing, why says so.
struct Card {
    QTemporaryDir place;  // the mount folder and, beside it, the image
    QString kind;
    QByteArray folder;
    QString why;
    bool tried = false;  // a mount was tried: even a failed one may leave a loop device

    explicit Card(const QString& kind) : kind(kind) {
        const QString tool = cardTool();
        if (::geteuid() != 0)
            why = QStringLiteral("mounting a card needs root");
        else if (!QFileInfo::exists(QStringLiteral("/dev/fuse")))
            why = QStringLiteral("no /dev/fuse on this machine");
        else if (!QFileInfo(tool).isExecutable())
            why = QStringLiteral("no card tool at %1 (TOLVANE_CARD_TOOL names another)").arg(tool);
        if (!why.isEmpty())
            return;
        QProcess mount;
        tried = true;
        mount.start(tool, {"mount", kind, place.filePath("card")});
        // The first mount on a machine may install the drivers.
        if (!mount.waitForFinished(300'000) || mount.exitStatus() != QProcess::NormalExit ||
            mount.exitCode() != 0) {
            why = QStringLiteral("card mount %1 failed (exit %2): %3")
                      .arg(kind)
                      .arg(mount.exitCode())
                      .arg(QString::fromLocal8Bit(mount.readAllStandardError()).trimmed());
            return;
        }
        folder = mount.readAllStandardOutput().trimmed();
    }
    ~Card() {
        if (tried)
            QProcess::execute(cardTool(), {"umount", place.filePath("card")});
    }

    // Takes the card out and puts it in again, as the card tool mounted it:
    // whatever the kernel and the driver kept of its files is forgotten.
    bool putInAgain() const {
        const auto run = [](const QString& program, const QStringList& arguments) {
            QProcess process;
            process.setStandardOutputFile(QProcess::nullDevice());
            process.start(program, arguments);
            return process.waitForFinished(60'000) && process.exitCode() == 0;
        };
        const QString mountPoint = QString::fromLocal8Bit(folder);
        // The driver may still be busy with the killed batch's last request.
        bool out = false;
        for (int tries = 0; tries < 50 && !out; ++tries) {
            out = run(QStringLiteral("umount"), {mountPoint});
            if (!out)
                QThread::msleep(100);
        }
        if (!out)
            return false;
        if (kind == QLatin1String("exfat")) {
            QFile loop(place.filePath("card.img.loop"));
            return loop.open(QIODevice::ReadOnly) &&
                   run(QStringLiteral("mount.exfat-fuse"),
                       {QString::fromLocal8Bit(loop.readAll().trimmed()), mountPoint});
        }
        return run(QStringLiteral("fusefat"),
                   {"-o", "rw+", place.filePath("card.img"), mountPoint});
    }
};

// The real file system, killing its own process just before the dieAt-th
// rename, and failing the first rename of the file failing with EIO, as a
// card does that is going bad.
struct CardFileSystem : PosixFileSystem {
    int dieAt = -1, calls = 0;
    QByteArray failing;
    int renameNoReplace(const QByteArray& from, const QByteArray& to) override {
        if (calls++ == dieAt)
            ::raise(SIGKILL);
        if (!failing.isEmpty() && from == failing) {
            failing.clear();
            return EIO;
        }
        return PosixFileSystem::renameNoReplace(from, to);
    }
};

struct Row {
    QByteArrayList entries;  // renamed, in this order, to IMG0001 and on, with their extensions
    QByteArray other;        // a file not renamed, or nothing
    RenameOutcome outcome;
    int moved;
    bool overlaps = false;  // the files may take each other's names
    int first = 1;          // the first serial
    // Files of one name in one shot, sidecars along: the new names, entry by
    // entry (the entries in the plan's order: each shot's members, then its
    // sidecars).
    QByteArrayList shotNames = {};
    // The file whose first rename the card fails with EIO, as a card does
    // that is going bad, or nothing.
    QByteArray failing = {};
    bool forgetEnd = false;  // the undo reads the journal as a kill leaves it: no word of the end
};

struct Kill {
    int files;
    int dieAt;  // the rename the batch is killed before
    bool putInAgain;
    bool shift = false;  // DSC00000 … renamed to DSC00001 …, each to the next one's name
};

}  // namespace

Q_DECLARE_METATYPE(Row)
Q_DECLARE_METATYPE(Kill)

class TestCard : public QObject {
    Q_OBJECT
    std::map<QString, std::unique_ptr<Card>> cards;

    Card& card(const QString& kind) {
        std::unique_ptr<Card>& card = cards[kind];
        if (!card)
            card = std::make_unique<Card>(kind);
        return *card;
    }

private slots:
    void cleanupTestCase() { cards.clear(); }

    void renames_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Row>("row");
        // A handful of files: FAT32 through FUSE takes a third of a second to make one.
        const QByteArrayList three{"img0001.jpg", "img0002.jpg", "img0003.jpg"};
        using R = StopReason;
        const std::pair<const char*, Row> rows[] = {
            {"case only", {three, {}, RenameFinished{3}, 3}},
            // b.jpg's new name is taken by img0002.jpg, a file just like it (size, time).
            {"another file's name in other case",
             {{"a.jpg", "b.jpg"}, "img0002.jpg", RenameStopped{1, R::NameTaken, EEXIST, 1}, 1}},
            // Spare names another file holds in other case are varied until free.
            {"spare names taken",
             {three + QByteArrayList{"Img0005.JPG", "~IMG0002.jpg"}, {}, RenameFinished{5}, 5}},
            {"a spare name taken off the list", {three, "~IMG0001.JPG", RenameFinished{3}, 3}},
            // Names the batch frees, compared as the card compares them.
            {"shift by one in other case", {three, {}, RenameFinished{3}, 3, true, 2}},
            {"swap in other case, spare name taken",
             {{"img0002.jpg", "IMG0001.JPG"}, "~IMG0002.JPG", RenameFinished{2}, 2, true}},
            // One number a shot, compared as the card compares names; the
            // files already so named stay.
            {"shots, new names in other case",
             {{"img0001.cr2", "IMG0001.JPG", "img0001.CR2.xmp", "img0002.CR2", "img0002.jpg",
               "IMG0002.XMP"},
              {},
              RenameFinished{6},
              4,
              true,
              1,
              {"IMG0001.cr2", "IMG0001.JPG", "IMG0001.CR2.xmp", "IMG0002.CR2", "IMG0002.jpg",
               "IMG0002.XMP"}}},
        };
        for (const char* kind : {"exfat", "vfat"}) {
            for (const auto& [what, row] : rows)
                QTest::addRow("%s: %s", kind, what) << QString(kind) << row;
        }
        // A case-only batch stopped at its second file (the card failed
        // there, or the batch was killed there): the undo brings back the
        // first and leaves the second, which answers to both spellings.
        Row stopped{three, {}, RenameStopped{1, R::AccessError, EIO, 1}, 1};
        stopped.failing = "img0002.jpg";
        for (const char* kind : {"exfat", "vfat"})
            QTest::addRow("%s: case only, stopped at the second", kind) << QString(kind) << stopped;
        stopped.forgetEnd = true;
        QTest::newRow("exfat: case only, stopped at the second, killed there")
            << QString("exfat") << stopped;
    }
    void renames() {
        QFETCH(QString, kind);
        QFETCH(Row, row);
        const Card& on = card(kind);
        if (!on.why.isEmpty())
            QSKIP(qPrintable(on.why));
        QTemporaryDir folderOnCard(QString::fromLocal8Bit(on.folder) + "/run-XXXXXX");
        QVERIFY(folderOnCard.isValid());
        const QByteArray root = QFile::encodeName(folderOnCard.path()) + '/';

        std::vector<Photo> photos;
        for (int k = 0; k < row.entries.size(); ++k) {
            const QByteArray& entry = row.entries[k];
            const QByteArray newName =
                !row.shotNames.isEmpty()
                    ? row.shotNames[k]
                    : "IMG" + QByteArray::number(row.first + k).rightJustified(4, '0') +
                          entry.sliced(entry.lastIndexOf('.'));
            photos.push_back({photoBytes(entry, k + 1), entry,
                              k < row.moved || !row.shotNames.isEmpty() ? newName : entry});
        }
        if (!row.other.isEmpty())
            photos.push_back({QByteArray(photos.back().bytes.size(), 't'), row.other, row.other});
        writePhotos(root, photos);
        if (!row.other.isEmpty()) {
            namespace fs = std::filesystem;
            fs::last_write_time((root + photos.back().oldPath).toStdString(),
                                fs::last_write_time((root + row.entries.back()).toStdString()));
        }

        RenameRequest request;
        request.folder = folderOnCard.path();
        request.destination = request.folder;
        request.startNumber = QString::number(row.first).rightJustified(4, u'0');
        request.prefix = "IMG";
        request.shots =
            row.shotNames.isEmpty() ? shotsNamed(row.entries) : shotsTogether(row.entries);
        request.allowNameOverlaps = row.overlaps;
        CardFileSystem fs;
        fs.failing = row.failing.isEmpty() ? QByteArray() : root + row.failing;
        QTemporaryDir journals;
        const BatchHistory history(journals.path());
        const RenamePlan plan = RenamePlan::make(request, fs);
        // The preview's first mark is the line the run stops at; none where it goes through.
        const std::vector<QByteArray> present = listAllNames(plan.targetFolder());
        const std::vector<TakenName> taken =
            takenNewNames(plan, present, ignoresLetterCase(plan.targetFolder(), present));
        JournalWriter writer(fs);
        QCOMPARE(history.record(writer, plan), JournalState::Written);
        const RenameOutcome outcome = renameAll(plan, fs, nullptr, writer);
        QVERIFY(outcome == row.outcome);
        const auto* stopped = std::get_if<RenameStopped>(&outcome);
        QCOMPARE(taken.empty() ? -1 : taken.front().entry,
                 stopped && stopped->reason == StopReason::NameTaken ? stopped->at : -1);

        const Files now = inventory(root);
        VERIFY_ACCOUNTED_FOR(now, photos);
        QCOMPARE(movedCount(now, photos), row.moved);

        // The undo brings back what was renamed and touches nothing else,
        // even a file that answers to its new name in other case.
        std::optional<StoredBatch> batch = history.newest();
        QVERIFY(batch);
        if (row.forgetEnd)
            batch->record.renamed.reset();
        const UndoOutcome undone = undoBatch(batch->record, fs);
        // A file that went by way of a spare name comes back in two steps.
        if (!row.overlaps)
            QCOMPARE(undone.restored, row.moved);
        const std::optional<Message> report = undoReport(batch->record, undone);
        QVERIFY2(!report, report ? qPrintable(report->text) : "");
        for (Photo& photo : photos)
            photo.newPath = photo.oldPath;
        VERIFY_ACCOUNTED_FOR(inventory(root), photos);
    }

    // A batch of photos of different sizes and times, killed part-way, then
    // the card taken out and put in again: every file is under its old or its
    // new name, and the undo finds every renamed file by what the card keeps
    // of it and brings it back. TOLVANE_LONG_TESTS=1: 8 000 files too.
    void killedMidBatch_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Kill>("kill");
        QTest::newRow("exfat: 40 files, killed before the 25th") << "exfat" << Kill{40, 24, false};
        QTest::newRow("exfat: 40 files, killed, put in again") << "exfat" << Kill{40, 24, true};
        QTest::newRow("exfat: 600 files, killed, put in again") << "exfat" << Kill{600, 400, true};
        // FAT32 through FUSE takes a third of a second to make a file.
        QTest::newRow("vfat: 6 files, killed, put in again") << "vfat" << Kill{6, 4, true};
        for (int quarter = 1; quarter <= 3; ++quarter)
            QTest::addRow("exfat: shift by one of 300, killed at %d/4", quarter)
                << "exfat" << Kill{300, quarter * 75, true, true};
        if (qEnvironmentVariable("TOLVANE_LONG_TESTS") == QLatin1String("1")) {
            QTest::newRow("exfat: 8000 files, killed, put in again")
                << "exfat" << Kill{8000, 3000, true};
            QTest::newRow("exfat: shift by one of 8000") << "exfat" << Kill{8000, 4000, true, true};
        }
    }
    void killedMidBatch() {
        QFETCH(QString, kind);
        QFETCH(Kill, kill);
        const Card& on = card(kind);
        if (!on.why.isEmpty())
            QSKIP(qPrintable(on.why));
        QTemporaryDir place(QString::fromLocal8Bit(on.folder) + "/kill-XXXXXX");
        const QString folderOnCard = place.path();
        const QByteArray root = QFile::encodeName(folderOnCard) + '/';
        std::vector<Photo> photos;
        QByteArrayList names;
        const QByteArray prefix = kill.shift ? "DSC" : "k";
        for (int k = 0; k < kill.files; ++k) {
            names << "DSC" + QByteArray::number(k + !kill.shift).rightJustified(5, '0') + ".JPG";
            photos.push_back(
                {photoBytes(names.back(), k), names.back(),
                 prefix + QByteArray::number(k + 1).rightJustified(5 - !kill.shift, '0') + ".JPG"});
        }
        writePhotos(root, photos);
        // Times with fractions of a second, as a camera leaves them.
        for (int k = 0; k < kill.files; ++k) {
            const struct timespec times[2] = {{1796700000 + k, 0},
                                              {1796700000 + 2 * k, 123456789L * (k % 8)}};
            QCOMPARE(::utimensat(AT_FDCWD, (root + names[k]).constData(), times, 0), 0);
        }
        RenameRequest request;
        request.folder = folderOnCard;
        request.destination = folderOnCard;
        request.startNumber = kill.shift ? "00001" : "0001";
        request.prefix = prefix;
        request.shots = shotsNamed(names);
        request.allowNameOverlaps = kill.shift;
        QTemporaryDir journals;
        const BatchHistory history(journals.path());
        const pid_t child = ::fork();
        if (child == 0) {
            CardFileSystem fs;
            fs.dieAt = kill.dieAt;
            const RenamePlan plan = RenamePlan::make(request, fs);
            JournalWriter writer(fs);
            history.record(writer, plan);
            renameAll(plan, fs, nullptr, writer);
            ::_exit(1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        const Files now = inventory(root);
        VERIFY_ACCOUNTED_FOR(now, photos);
        QCOMPARE(movedCount(now, photos), kill.dieAt);
        if (kill.putInAgain)
            QVERIFY(on.putInAgain());

        PosixFileSystem fs;
        const std::optional<StoredBatch> batch = history.newest();
        QVERIFY(batch);
        const UndoOutcome undone = undoBatch(batch->record, fs);
        const std::optional<Message> report = undoReport(batch->record, undone);
        QVERIFY2(!report, report ? qPrintable(report->text) : "");
        QCOMPARE(undone.restored, kill.dieAt);
        for (Photo& photo : photos)
            photo.newPath = photo.oldPath;
        VERIFY_ACCOUNTED_FOR(inventory(root), photos);
    }
};

QTEST_GUILESS_MAIN(TestCard)
#include "test_card.moc"
