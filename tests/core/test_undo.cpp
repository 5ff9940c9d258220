#include <QtTest>

#include <QScopeGuard>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>

#include "Inventory.h"
#include "TestFiles.h"
#include "core/rename/BatchHistory.h"
#include "core/rename/BatchJournal.h"
#include "core/rename/RenameCommand.h"
#include "core/rename/RenameTexts.h"
#include "core/rename/Undo.h"
#include "core/settings/Settings.h"
#include "core/text/NativeName.h"
#include "support/JournalWithRightSum.h"

// The record of a batch and its undo, on real folders: the undo brings back
// exactly the files the batch renamed, never one put under a name later,
// and what it cannot bring back stays recorded for another try.

namespace {

// The real file system, told to know files by size and time as on a card.
struct SizeAndTimeFileSystem : PosixFileSystem {
    IdentityKind identityKind(const QByteArray&) override { return IdentityKind::SizeAndTime; }
};

// The real file system, ending the process just before its stopAt-th rename,
// or just after it; its files known by size and time unless byInode.
struct DyingFileSystem : SizeAndTimeFileSystem {
    int stopAt = -1;
    bool afterIt = false;
    int calls = 0;
    bool byInode = false;
    IdentityKind identityKind(const QByteArray& folder) override {
        return byInode ? PosixFileSystem::identityKind(folder) : IdentityKind::SizeAndTime;
    }
    int renameNoReplace(const QByteArray& from, const QByteArray& to) override {
        const bool dies = calls++ == stopAt;
        if (dies && !afterIt)
            ::_exit(0);
        const int error = PosixFileSystem::renameNoReplace(from, to);
        if (dies)
            ::_exit(0);
        return error;
    }
};

// The real file system, reading the journal at every rename: the journal in
// place must be whole and name the file being renamed (unless watch is off).
struct JournalWatchingFileSystem : PosixFileSystem {
    QString journal;
    bool watch = true;
    int calls = 0;
    QStringList faults;
    int renameNoReplace(const QByteArray& from, const QByteArray& to) override {
        // The first 200 renames, then every 64th: thousands of readings of
        // thousands of lines would take a while.
        if (watch && (calls < 200 || calls % 64 == 0)) {
            const std::optional<BatchRecord> record = readJournal(journal);
            const QByteArray name = from.sliced(from.lastIndexOf('/') + 1);
            if (!record || qsizetype(record->entries.size()) <= calls ||
                record->entries[size_t(calls)].oldName != name)
                faults << QStringLiteral("rename %1 (%2) not in the journal").arg(calls).arg(name);
        }
        ++calls;
        return PosixFileSystem::renameNoReplace(from, to);
    }
};

enum class Act {
    None,
    ReplaceThird,    // another file takes the third file's new name
    TakeThirdsName,  // another file takes the third file's old name
    DeleteThird,     // the third file goes
    CoarserTimes,    // the times read back as a card keeps them: in steps of 2 s
    StampedTimes,    // the times read back as the renames stamped them on a card
};

struct Case {
    bool sizeAndTime = false;
    bool destination = false;
    QByteArray blocker;  // a file the batch cannot rename onto: it stops there
    Act act = Act::None;
    // On the disk rather than in memory: ext4 hands a deleted file's inode
    // number straight to the next file made, where tmpfs does not.
    bool onDisk = false;
    // The files are 2.jpg … 6.jpg, each renamed to the old name of the one
    // after it: only last renamed first can bring them all back.
    bool chain = false;
};

}  // namespace

Q_DECLARE_METATYPE(Case)
Q_DECLARE_METATYPE(BatchRecord)

class TestUndo : public QObject {
    Q_OBJECT
    QTemporaryDir root_{QStringLiteral("/dev/shm/undo-XXXXXX")};
    QTemporaryDir disk_{QDir::tempPath() + QStringLiteral("/undo-XXXXXX")};

    QByteArray folder(const char* name, bool onDisk = false) const {
        const QByteArray path = QFile::encodeName((onDisk ? disk_ : root_).path()) + '/' + name;
        std::filesystem::create_directories(path.toStdString());
        return path;
    }

private slots:
    void journalRoundTrip_data() {
        QTest::addColumn<BatchRecord>("record");
        BatchRecord inode{"/photos/", "/photos/", IdentityKind::Inode, 1778000000000000000, {}, {}};
        inode.entries.push_back({"a.jpg", "1.jpg", FileIdentity{5, 42, -1, 0, 0}});
        inode.entries.push_back({"b.jpg", "2.jpg", FileIdentity{5, 43, -1, 0, 0}});
        QTest::newRow("inode numbers") << inode;
        BatchRecord card{"/media/CARD/DCIM/", "/home/u/out/", IdentityKind::SizeAndTime, 7, {}, {}};
        card.entries.push_back({"IMG_1.JPG", "trip1.JPG", FileIdentity{0, 0, 4096, 1715500000, 0}});
        card.entries.push_back({"IMG_2.JPG", "trip2.JPG", std::nullopt});  // never reached
        QTest::newRow("size and time, one file not reached") << card;
        BatchRecord odd{"/a b/\n/", "/x/", IdentityKind::SizeAndTime, 0, {}, {}};
        odd.entries.push_back({QByteArray("\x8e\xca\n1 2:3", 9), QByteArray("e 5:\0", 5), {}});
        QTest::newRow("names with line breaks, colons, NUL and Shift-JIS") << odd;
        QTest::newRow("no entries") << BatchRecord{"/", "/", IdentityKind::Inode, 0, {}, {}};
        BatchRecord ended = card;
        ended.renamed = 1;
        QTest::newRow("a batch that came to its end, one file renamed") << ended;
        // Nineteen digits, the last that fit: one more in a number refuses the
        // journal rather than overflow.
        BatchRecord largest{"/", "/", IdentityKind::SizeAndTime, INT64_MAX, {}, {}};
        largest.entries.push_back(
            {"a", "b", FileIdentity{0, 0, INT64_MAX, 1778000000123456789, 0}});
        QTest::newRow("largest numbers") << largest;
    }
    void journalRoundTrip() {
        QFETCH(BatchRecord, record);
        const QByteArray bytes = encodeBatchRecord(record);
        QCOMPARE(decodeBatchRecord(bytes), std::optional<BatchRecord>(record));
        // Cut anywhere in the record: not a journal at all. Cut in an appended
        // identity: that one is as if never written.
        const qsizetype end = bytes.indexOf("\nend ") + 22;
        for (qsizetype cut = 0; cut < bytes.size(); ++cut) {
            const std::optional<BatchRecord> read = decodeBatchRecord(bytes.first(cut));
            if (cut < end) {
                QVERIFY2(!read, qPrintable(QString::number(cut)));
            } else {
                QVERIFY(read);
                QCOMPARE(read->entries.size(), record.entries.size());
            }
        }
        // A number too big for 64 bits: not a journal, and no overflow.
        QVERIFY(
            !decodeBatchRecord(QByteArray(bytes).replace("count ", "count 9999999999999999999")));
        // One byte changed in the record: not a journal.
        for (qsizetype at = 0; at < end - 1; ++at) {
            QByteArray damaged = bytes;
            damaged[at] = char(damaged[at] ^ 0x04);
            QVERIFY2(!decodeBatchRecord(damaged), qPrintable(QString::number(at)));
        }
    }

    // Inode numbers in a journal that knows its files by size and time: the
    // writer never puts them there, so the reader takes the journal as
    // damaged even when its sum is right.
    void inodeNumbersOnlyInAnInodeJournal() {
        BatchRecord record{"/p/", "/p/", IdentityKind::Inode, 1, {}, {}};
        record.entries.push_back({"a.jpg", "1.jpg", FileIdentity{5, 42, -1, 0, 0}});
        const QByteArray bytes = encodeBatchRecord(record);
        QVERIFY(decodeBatchRecord(withRightSum(bytes)));
        QVERIFY(!decodeBatchRecord(
            withRightSum(QByteArray(bytes).replace("kind inode", "kind size-time"))));
    }

    // An identity line names an entry of its batch: one for an index past the
    // last entry, though its own sum is right, is where the reader stops, as
    // at a torn line, and the lines after it are not read.
    void identityLinesPastTheBatch_data() {
        QTest::addColumn<int>("index");
        QTest::newRow("the last entry") << 1;
        QTest::newRow("one past the last") << 2;
        QTest::newRow("far past the last") << 1000000;
    }
    void identityLinesPastTheBatch() {
        QFETCH(int, index);
        BatchRecord record{"/c/", "/c/", IdentityKind::SizeAndTime, 1, {}, {}};
        record.entries.push_back({"a.jpg", "1.jpg", std::nullopt});
        record.entries.push_back({"b.jpg", "2.jpg", std::nullopt});
        const FileIdentity id{0, 0, 4096, 1715500000, 0};
        const std::optional<BatchRecord> read = decodeBatchRecord(
            encodeBatchRecord(record) + encodeIdentity(index, id) + encodeIdentity(0, id));
        QVERIFY(read);
        const bool inBatch = index < 2;
        QCOMPARE(read->entries[0].identity.has_value(), inBatch);
        if (inBatch)
            QCOMPARE(read->entries[size_t(index)].identity, std::optional<FileIdentity>(id));
    }

    // Nineteen digits reach past 64 bits: no journal, and no overflow reading it.
    void numberPastSixtyFourBits() {
        QVERIFY(
            !decodeBatchRecord("TOLVANE-UNDO 2\nkind size-time\nsource 17:/media/CARD/DCIM/\n"
                               "target 12:/home/u/out/\ncount 2\ne 9333333333333333333 "));
    }

    void undo_data() {
        QTest::addColumn<Case>("c");
        QTest::newRow("whole batch") << Case{};
        QTest::newRow("whole batch, known by size and time") << Case{true, false, {}, Act::None};
        QTest::newRow("into a destination folder") << Case{false, true, {}, Act::None};
        QTest::newRow("stopped by a name taken") << Case{false, false, "4.jpg", Act::None};
        QTest::newRow("another file under a new name") << Case{false, false, {}, Act::ReplaceThird};
        QTest::newRow("another file under a new name, by size and time")
            << Case{true, false, {}, Act::ReplaceThird};
        QTest::newRow("another file under a new name, on the disk")
            << Case{false, false, {}, Act::ReplaceThird, true};
        QTest::newRow("an old name taken") << Case{false, false, {}, Act::TakeThirdsName};
        QTest::newRow("a file deleted") << Case{true, true, {}, Act::DeleteThird};
        QTest::newRow("times kept coarser than the batch saw them")
            << Case{true, false, {}, Act::CoarserTimes};
        QTest::newRow("times stamped by the renames") << Case{true, false, {}, Act::StampedTimes};
        QTest::newRow("each took the old name of the next")
            << Case{false, false, {}, Act::None, false, true};
    }
    void undo() {
        QFETCH(Case, c);
        const QByteArray source = folder("undo-src", c.onDisk);
        const QByteArray target = c.destination ? folder("undo-dst", c.onDisk) : source;
        const QString journal = root_.filePath(QStringLiteral("Tolvane.undo"));
        // Gone however the row ends, so that one failing row fails alone.
        const auto cleanUp = qScopeGuard([&] {
            std::filesystem::remove_all(source.toStdString());
            std::filesystem::remove_all(target.toStdString());
            QFile::remove(journal);
        });
        const QByteArrayList names =
            c.chain ? QByteArrayList{"2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg"}
                    : QByteArrayList{"e.jpg", "d.jpg", "c.jpg", "b.jpg", "a.jpg"};
        std::vector<Photo> photos;
        for (int k = 0; k < names.size(); ++k) {
            photos.push_back({photoBytes(names[k], k), names[k], names[k]});
            writeWhole(source + '/' + names[k], photos.back().bytes);
        }
        if (!c.blocker.isEmpty()) {
            photos.push_back({"blocker", c.blocker, c.blocker});
            writeWhole(target + '/' + c.blocker, "blocker");
        }
        RenameRequest r = batchRequest(source, names, QString(), true);
        r.moveToDestination = c.destination;
        r.destination = fromNative(target);
        std::unique_ptr<PosixFileSystem> fs = c.sizeAndTime
                                                  ? std::make_unique<SizeAndTimeFileSystem>()
                                                  : std::make_unique<PosixFileSystem>();
        const RenameOutcome run = renameAll(RenamePlan::make(r, *fs), *fs, nullptr, journal);
        const int renamed = c.blocker.isEmpty() ? 5 : 3;
        QCOMPARE(renamedCount(run), renamed);

        // Another program at work after the batch, on the third file (c.jpg, now 3.jpg).
        QByteArray prefix = c.destination ? "../undo-dst/" : "";
        switch (c.act) {
            case Act::None:
                break;
            case Act::ReplaceThird:
                // A stranger made within a clock tick of the batch's start
                // may be stamped as born before it; a real one comes later.
                QThread::msleep(20);
                std::filesystem::remove((target + "/3.jpg").toStdString());
                writeWhole(target + "/3.jpg", "a stranger");
                photos[2] = {"a stranger", prefix + "3.jpg", prefix + "3.jpg"};
                break;
            case Act::TakeThirdsName:
                writeWhole(source + "/c.jpg", "a newcomer");
                photos.push_back({"a newcomer", "c.jpg", "c.jpg"});
                photos[2].newPath = photos[2].oldPath = prefix + "3.jpg";
                break;
            case Act::DeleteThird:
                std::filesystem::remove((target + "/3.jpg").toStdString());
                photos.erase(photos.begin() + 2);
                break;
            case Act::CoarserTimes:
            case Act::StampedTimes:
                for (const auto& [name, bytes] : inventory(target)) {
                    const QByteArray path = target + '/' + name;
                    struct stat st;
                    QCOMPARE(::stat(path.constData(), &st), 0);
                    const struct timespec times[2] = {st.st_atim,
                                                      c.act == Act::StampedTimes
                                                          ? timespec{0, UTIME_NOW}
                                                          : timespec{st.st_mtim.tv_sec & ~1, 0}};
                    QCOMPARE(::utimensat(AT_FDCWD, path.constData(), times, 0), 0);
                }
                break;
        }

        const std::optional<BatchRecord> record = readJournal(journal);
        QVERIFY(record);
        const UndoOutcome outcome = undoBatch(*record, *fs);
        const bool allBack =
            c.act == Act::None || c.act == Act::CoarserTimes || c.act == Act::StampedTimes;
        QCOMPARE(outcome.restored, allBack ? renamed : renamed - 1);
        // The report says why the file stayed.
        const std::optional<Message> report = undoReport(*record, outcome);
        QCOMPARE(report.has_value(), !allBack);
        const std::map<Act, QString> why{
            {Act::ReplaceThird, QStringLiteral("別のファイルがこの名前になっています")},
            {Act::TakeThirdsName, QStringLiteral("元の名前のファイルがすでにあります")},
            {Act::DeleteThird,
             QStringLiteral("ファイルが見つかりません (移動または削除されました)")}};
        if (report) {
            QVERIFY2(report->text.contains(QStringLiteral("\r\n3.jpg → c.jpg : ") + why.at(c.act) +
                                           QStringLiteral("\r\n")),
                     qPrintable(report->text));
        }
        const BatchRecord left = remainingAfter(*record, outcome);
        QCOMPARE(left.entries.size(), allBack ? 0u : 1u);
        if (!allBack)
            QCOMPARE(left.entries[0].oldName, QByteArray("c.jpg"));

        // Every other photo is back under its old name; the one left is where
        // the act put it, and nothing else moved.
        Files now = inventory(source);
        if (c.destination) {
            for (const auto& [path, bytes] : inventory(target))
                now["../undo-dst/" + path] = bytes;
        }
        VERIFY_ACCOUNTED_FOR(now, photos);

        // Once its old name is free, the undo that is left brings it back.
        if (c.act == Act::TakeThirdsName) {
            QVERIFY(rewriteJournal(journal, left));
            std::filesystem::remove((source + "/c.jpg").toStdString());
            const UndoOutcome again = undoBatch(*readJournal(journal), *fs);
            QCOMPARE(again.restored, 1);
            QVERIFY(QFile::exists(QFile::decodeName(source + "/c.jpg")));
        }
    }

    // The journal is in place, whole, before the first rename, at every size
    // of batch, so whenever the program is killed it covers every file renamed
    // so far. A journal that cannot be written leaves none at all, never an
    // older batch's (its files may carry other names by now); the batch runs
    // to its end without one. A batch that renamed nothing leaves none.
    void journalBeforeTheRenames_data() {
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("breakJournal");
        QTest::addColumn<bool>("blockFirst");  // the first new name is taken
        QTest::newRow("small") << 100 << false << false;
        QTest::newRow("large") << 5000 << false << false;
        QTest::newRow("large, the journal cannot be written") << 5000 << true << false;
        QTest::newRow("nothing renamed") << 100 << false << true;
    }
    void journalBeforeTheRenames() {
        QFETCH(int, files);
        QFETCH(bool, breakJournal);
        QFETCH(bool, blockFirst);
        const QByteArray source = folder("ahead");
        QByteArrayList names;
        for (int k = 0; k < files; ++k) {
            names << "IMG_" + QByteArray::number(k) + ".JPG";
            writeWhole(source + '/' + names.back(), names.back());
        }
        const RenameRequest r = batchRequest(source, names, QStringLiteral("n"), true);
        JournalWatchingFileSystem fs;
        fs.journal = root_.filePath(QStringLiteral("ahead.undo"));
        const RenamePlan plan = RenamePlan::make(r, fs);
        if (blockFirst)
            writeWhole(source + '/' + plan.newName(0).toByteArray(), "taken");
        if (breakJournal) {
            // An older batch's journal, and no room for the new one.
            BatchRecord older{"/old/", "/old/", IdentityKind::Inode, 1, {}, {}};
            older.entries.push_back({"a.jpg", "1.jpg", FileIdentity{5, 42, -1, 0, 0}});
            QVERIFY(rewriteJournal(fs.journal, older));
            QVERIFY(QDir().mkdir(journalTemporaryPath(fs.journal)));
            fs.watch = false;
        }
        const RenameOutcome run = renameAll(plan, fs, nullptr, fs.journal);
        QCOMPARE(renamedCount(run), blockFirst ? 0 : files);
        QCOMPARE(fs.calls, blockFirst ? 1 : files);
        QVERIFY2(fs.faults.isEmpty(), qPrintable(fs.faults.mid(0, 5).join(u'\n')));
        // Afterwards: the whole batch, or nothing at all, never part of it.
        const std::optional<BatchRecord> record = readJournal(fs.journal);
        if (breakJournal || blockFirst)
            QVERIFY(!QFile::exists(fs.journal));
        else
            QVERIFY(record && int(record->entries.size()) == files);
        std::filesystem::remove_all(source.toStdString());
        QDir().rmdir(journalTemporaryPath(fs.journal));
        QFile::remove(fs.journal);
    }

    // Batch after batch is kept, each in a journal of its own, up to the
    // last ten; a journal of the earlier single kind is the oldest. Each undo
    // takes back the newest batch left, to the names the batch before it gave.
    void batchesKept_data() {
        QTest::addColumn<int>("batches");
        QTest::addColumn<bool>("earlierJournal");  // a batch recorded as "Tolvane.undo" first
        QTest::addColumn<int>("undone");           // batches undone before none is left
        QTest::newRow("three") << 3 << false << 3;
        QTest::newRow("twelve: the oldest two dropped") << 12 << false << 10;
        QTest::newRow("three after one in the earlier journal") << 3 << true << 4;
    }
    void batchesKept() {
        QFETCH(int, batches);
        QFETCH(bool, earlierJournal);
        QFETCH(int, undone);
        const QByteArray source = folder("batches");
        const QString journals = root_.filePath(QStringLiteral("journals"));
        QVERIFY(QDir().mkpath(journals));
        const BatchHistory history(journals);
        QByteArrayList names{"f1.jpg", "f2.jpg", "f3.jpg"};
        std::map<int, QByteArrayList> namesBefore;  // batch -> what it renamed
        std::vector<Photo> photos;
        for (const QByteArray& name : names) {
            photos.push_back({photoBytes(name, int(photos.size())), name, name});
            writeWhole(source + '/' + name, photos.back().bytes);
        }
        PosixFileSystem fs;
        const int first = earlierJournal ? 0 : 1;
        for (int b = first; b <= batches; ++b) {
            const QString prefix = QStringLiteral("b%1-").arg(b);
            const RenamePlan plan = RenamePlan::make(batchRequest(source, names, prefix, true), fs);
            namesBefore[b] = names;
            if (b == 0) {
                // As earlier versions wrote it: one file, and no word of
                // the batch's end.
                const QString single = journals + QStringLiteral("/Tolvane.undo");
                QCOMPARE(renamedCount(renameAll(plan, fs, nullptr, single)), 3);
                QByteArray bytes = readWhole(QFile::encodeName(single).toStdString());
                bytes.truncate(bytes.indexOf("done "));
                writeWhole(QFile::encodeName(single), bytes);
            } else {
                JournalWriter writer(fs);
                QCOMPARE(history.record(writer, plan), JournalState::Written);
                QCOMPARE(renamedCount(renameAll(plan, fs, nullptr, writer)), 3);
            }
            for (int k = 0; k < plan.count(); ++k)
                names[k] = plan.newName(k).toByteArray();
        }
        QCOMPARE(history.journals().size(), qMin(batches + int(earlierJournal), kKeptBatches));

        for (int b = batches; b > batches - undone; --b) {
            const std::optional<StoredBatch> newest = history.newest();
            QVERIFY(newest);
            const UndoOutcome outcome = undoBatch(newest->record, fs);
            QCOMPARE(outcome.restored, 3);
            QVERIFY(rewriteJournal(newest->path, remainingAfter(newest->record, outcome)));
            for (size_t k = 0; k < photos.size(); ++k)
                photos[k].oldPath = photos[k].newPath = namesBefore[b][qsizetype(k)];
            VERIFY_ACCOUNTED_FOR(inventory(source), photos);
        }
        QVERIFY(!history.newest());
        QVERIFY(history.journals().isEmpty());
        std::filesystem::remove_all(source.toStdString());
        QDir(journals).removeRecursively();
    }

    // A batch whose files are known by size and time, each recorded just
    // before its rename, ends in a child process: killed just before or just
    // after a rename, or stopped where the journal's disk takes no more
    // records (a limit on the size of the files it writes). The undo brings
    // back exactly the renamed files: no file is renamed unrecorded. An undo
    // killed part-way leaves the rest for the next.
    void killedWhileRecording_data() {
        QTest::addColumn<int>("dieAt");  // the rename the child dies at; -1: none
        QTest::addColumn<bool>("afterIt");
        QTest::addColumn<int>("recordsThatFit");  // identity lines the journal takes; -1: all
        QTest::addColumn<int>("renamed");
        QTest::addColumn<int>("undoDiesAt");  // the rename back a first undo dies at; -1: none
        QTest::addColumn<bool>("reversed");   // the list reversed, the same names given back
        QTest::addColumn<bool>("byInode");
        for (int k : {0, 1, 4, 7})
            QTest::addRow("before rename %d", k) << k << false << -1 << k << -1 << false << false;
        for (int k : {0, 4, 7})
            QTest::addRow("right after rename %d", k)
                << k << true << -1 << k + 1 << -1 << false << false;
        QTest::newRow("no room for a record after 3 files")
            << -1 << false << 3 << 3 << -1 << false << false;
        QTest::newRow("no room for a record of the first file")
            << -1 << false << 0 << 0 << -1 << false << false;
        QTest::newRow("the undo killed before its 3rd rename")
            << -1 << false << -1 << 8 << 2 << false << false;
        QTest::newRow("the undo of a killed batch killed right away")
            << 5 << false << -1 << 5 << 0 << false << false;
        // Rings of two files, each opened by one file stepping aside to a
        // spare name: killed with that file aside, between rings, and never
        // (all 10 renames). Every step is recorded before the first rename
        // where the files are known by inode.
        for (int k : {1, 2, 3, 7, 10}) {
            QTest::addRow("reversed, before rename %d", k)
                << k << false << -1 << k << -1 << true << false;
            QTest::addRow("reversed, by inode, before rename %d", k)
                << k << false << -1 << k << -1 << true << true;
        }
        QTest::newRow("reversed, right after rename 2")
            << 2 << true << -1 << 3 << -1 << true << false;
    }
    void killedWhileRecording() {
        QFETCH(int, dieAt);
        QFETCH(bool, afterIt);
        QFETCH(int, recordsThatFit);
        QFETCH(int, renamed);
        QFETCH(int, undoDiesAt);
        QFETCH(bool, reversed);
        QFETCH(bool, byInode);
        const QByteArray source = folder("killed");
        const QString journal = root_.filePath(QStringLiteral("killed.undo"));
        const auto cleanUp = qScopeGuard([&] {
            std::filesystem::remove_all(source.toStdString());
            QFile::remove(journal);
        });
        QByteArrayList names;
        std::vector<Photo> photos;
        for (int k = 0; k < 8; ++k) {
            names << "p" + QByteArray::number(k) + ".jpg";
            photos.push_back({photoBytes(names.back(), k), names.back(), names.back()});
            writeWhole(source + '/' + names.back(), photos.back().bytes);
        }
        QByteArrayList listed = names;
        if (reversed)
            std::reverse(listed.begin(), listed.end());
        RenameRequest r = batchRequest(source, listed,
                                       reversed ? QStringLiteral("p") : QStringLiteral("n"), true);
        r.allowNameOverlaps = reversed;
        int pipe[2];
        QCOMPARE(::pipe(pipe), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            DyingFileSystem fs;
            fs.stopAt = dieAt;
            fs.afterIt = afterIt;
            fs.byInode = byInode;
            const RenamePlan plan = RenamePlan::make(r, fs);
            JournalWriter writer(fs);
            writer.begin(journal, plan);
            if (recordsThatFit >= 0) {
                qint64 room = QFileInfo(journal).size();
                for (int k = 0; k < recordsThatFit; ++k)
                    room += encodeIdentity(k, *fs.identify(source + '/' + names[k])).size();
                const struct rlimit limit { rlim_t(room), rlim_t(room) };
                ::signal(SIGXFSZ, SIG_IGN);
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            const RenameOutcome outcome = renameAll(plan, fs, nullptr, writer);
            const std::optional<Message> stop = stopMessage(plan, outcome);
            const QByteArray said = QByteArray::number(renamedCount(outcome)) + '\n' +
                                    (stop ? stop->text.toUtf8() : QByteArray());
            const ssize_t written = ::write(pipe[1], said.constData(), size_t(said.size()));
            ::_exit(written == said.size() ? 0 : 1);
        }
        ::close(pipe[1]);
        QFile fromChild;
        QVERIFY(fromChild.open(pipe[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
        const QByteArray said = fromChild.readAll();
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QCOMPARE(WEXITSTATUS(status), 0);
        // Stopped with why: the file it could not record is named, and the
        // reason is the journal's.
        if (recordsThatFit >= 0) {
            QCOMPARE(said, QByteArray::number(renamed) + '\n' +
                               QStringLiteral("エラーによって処理できませんでした.\r\n\r\np%1.jpg "
                                              "より後のファイルが変換できませんでした.\r\n"
                                              "元に戻すための記録を保存できません.\r\n"
                                              "エラー番号 %2")
                                   .arg(renamed)
                                   .arg(EFBIG)
                                   .toUtf8());
        }

        if (undoDiesAt >= 0) {
            const pid_t undoing = ::fork();
            if (undoing == 0) {
                DyingFileSystem dying;
                dying.stopAt = undoDiesAt;
                undoBatch(*readJournal(journal), dying);
                ::_exit(1);
            }
            QCOMPARE(::waitpid(undoing, &status, 0), undoing);
            QCOMPARE(WEXITSTATUS(status), 0);
        }

        SizeAndTimeFileSystem fs;
        const std::optional<BatchRecord> record = readJournal(journal);
        QVERIFY(!record ||
                record->kind == (byInode ? IdentityKind::Inode : IdentityKind::SizeAndTime));
        // A batch that ended having renamed nothing leaves no journal.
        QCOMPARE(record.has_value(), dieAt >= 0 || renamed > 0);
        if (record) {
            const UndoOutcome outcome = undoBatch(*record, fs);
            QCOMPARE(outcome.restored, renamed - qMax(undoDiesAt, 0));
            QVERIFY(remainingAfter(*record, outcome).entries.empty());
        }
        VERIFY_ACCOUNTED_FOR(inventory(source), photos);
    }
};

QTEST_GUILESS_MAIN(TestUndo)
#include "test_undo.moc"
