#include <QtTest>

#include <QProcess>

#include <cerrno>
#include <filesystem>
#include <map>
#include <memory>

#include <unistd.h>

#include "Inventory.h"
#include "TestFiles.h"
#include "core/rename/RenameEngine.h"

// Renames on camera cards: exFAT and FAT32 images mounted through FUSE by the
// card tool. A card ignores letter case, so a rename that changes only the
// case finds its new name "taken" by the file itself; a file must still never
// take the name of another file that differs from it in case only.

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
    QByteArray folder;
    QString why;
    bool tried = false;  // a mount was tried: even a failed one may leave a loop device

    explicit Card(const QString& kind) {
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
};

struct Row {
    QByteArrayList entries;  // renamed, in this order, to IMG0001.jpg and on
    QByteArray other;        // a file not renamed, or nothing
    RenameOutcome outcome;
    int moved;
};

}  // namespace

Q_DECLARE_METATYPE(Row)

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
        const Row caseOnly{{"img0001.jpg", "img0002.jpg", "img0003.jpg"}, {}, RenameFinished{3}, 3};
        // b.jpg's new name is taken by img0002.jpg, a file just like it (size, time).
        const Row twoFiles{
            {"a.jpg", "b.jpg"}, "img0002.jpg", RenameStopped{1, StopReason::NameTaken, EEXIST, 1}, 1};
        for (const char* kind : {"exfat", "vfat"}) {
            QTest::addRow("%s: case only", kind) << QString(kind) << caseOnly;
            QTest::addRow("%s: another file's name in other case", kind)
                << QString(kind) << twoFiles;
        }
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
            const QByteArray newName = "IMG000" + QByteArray::number(k + 1) + ".jpg";
            photos.push_back({photoBytes(entry, 1), entry, k < row.moved ? newName : entry});
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
        request.startNumber = "0001";
        request.prefix = "IMG";
        request.files = filesNamed(row.entries);
        PosixFileSystem fs;
        const RenameOutcome outcome = renameAll(RenamePlan::make(request, fs), fs);
        QVERIFY(outcome == row.outcome);

        const Files now = inventory(root);
        VERIFY_ACCOUNTED_FOR(now, photos);
        QCOMPARE(movedCount(now, photos), row.moved);
    }
};

QTEST_GUILESS_MAIN(TestCard)
#include "test_card.moc"
