#include <QtTest>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

#include <cerrno>
#include <filesystem>
#include <functional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "Doubles.h"
#include "Inventory.h"
#include "WindowDriver.h"
#include "core/rename/FileSystem.h"

// A rename run from the window meets a fault: another program at work in the
// same folders, or a rename that the system refuses. The run must stop at the
// failed file with the message for it, overwrite nothing and move nothing
// else: the files before it carry their new names, it and the later ones
// their old ones.

namespace {

enum class Fault {
    // Another program's acts.
    TargetCreated,        // a file of the next new name appears
    TargetFolderCreated,  // a folder of that name appears
    TargetTwinCreated,    // a file just like the next one (size, time) takes its new name
    SourceDeleted,        // the next file to rename is deleted
    DestinationRemoved,   // the destination folder is removed
    DestinationMoved,     // the destination folder is renamed elsewhere
    SourceFolderMoved,    // the folder being renamed in is renamed elsewhere
    DestinationReadOnly,  // the destination folder is made read-only
    // Failures of the rename itself.
    NameTooLong,      // one new name is longer than the file system takes
    OtherFileSystem,  // the destination is on another file system
    Injected,         // a refusal that a test cannot cause for real
};

// The file entry `which` concerns, in every row: the third.
constexpr int kWhich = 2;

// The real file system, with another program's act just before one rename,
// and refusals from then on where the real refusal cannot happen in a test.
class BusyFolderFileSystem : public PosixFileSystem {
public:
    int actBefore = -1;  // the rename (0 = the first) before which act runs
    std::function<void()> act;
    int failFrom = -1;  // from this rename on, each is refused with error
    int error = 0;
    QByteArray refusedFolder;  // or only the renames into this folder
    int calls = 0;

    int renameNoReplace(const QByteArray& from, const QByteArray& to) override {
        const int k = calls++;
        if (k == actBefore && act)
            act();
        if (failFrom >= 0 && k >= failFrom)
            return error;
        if (!refusedFolder.isEmpty() && to.startsWith(refusedFolder))
            return error;
        return PosixFileSystem::renameNoReplace(from, to);
    }
};

bool runningAsRoot() {
#ifdef Q_OS_UNIX
    return ::geteuid() == 0;
#else
    return false;
#endif
}

const QString kNameTaken =
    "保存先に同じ名前が存在しています.\r\n\r\nc.photo より後のファイルが"
    "変換できませんでした.";

// A stop for an error: its first line as it always was, then the file it
// stopped at and, on a line of its own, why.
QString folderMissing(const char* entry) {
    return QStringLiteral("保存先フォルダーが存在しないので処理できませんでした.\r\n\r\n") + entry +
           QStringLiteral(" より後のファイルが変換できませんでした.\r\n") +
           QStringLiteral("フォルダーが見つかりません");
}
QString accessError(const char* entry, const QString& reason) {
    return QStringLiteral("エラーによって処理できませんでした.\r\n\r\n") + entry +
           QStringLiteral(" より後のファイルが変換できませんでした.\r\n") + reason;
}

}  // namespace

Q_DECLARE_METATYPE(Fault)

class TestRenameFaults : public QObject {
    Q_OBJECT
private slots:
    void runMeetsAFault_data() {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("when");  // before the click (-1) or before the when-th rename
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("destination");
        QTest::addColumn<int>("moved");
        QTest::addColumn<QString>("message");
        using F = Fault;
        QTest::newRow("target made before the click")
            << F::TargetCreated << -1 << 0 << true << 2 << kNameTaken;
        QTest::newRow("target made at the start")
            << F::TargetCreated << 0 << 0 << true << 2 << kNameTaken;
        QTest::newRow("target made just in time")
            << F::TargetCreated << kWhich << 0 << true << 2 << kNameTaken;
        QTest::newRow("target made in place")
            << F::TargetCreated << 1 << 0 << false << 2 << kNameTaken;
        QTest::newRow("folder of the target's name")
            << F::TargetFolderCreated << 1 << 0 << true << 2 << kNameTaken;
        QTest::newRow("look-alike of the file made just in time")
            << F::TargetTwinCreated << kWhich << 0 << true << 2 << kNameTaken;
        QTest::newRow("look-alike of the file made in place")
            << F::TargetTwinCreated << 1 << 0 << false << 2 << kNameTaken;
        const QString notFound = QStringLiteral("ファイルが見つかりません");
        const QString folderGone = QStringLiteral("フォルダーが見つかりません");
        const QString refused = QStringLiteral("アクセスが拒否されました");
        QTest::newRow("source deleted before the click")
            << F::SourceDeleted << -1 << 0 << true << 2 << accessError("c.photo", notFound);
        QTest::newRow("source deleted just in time")
            << F::SourceDeleted << kWhich << 0 << false << 2 << accessError("c.photo", notFound);
        QTest::newRow("destination removed before the click")
            << F::DestinationRemoved << -1 << 0 << true << 0 << folderMissing("a.jpg");
        QTest::newRow("destination removed at the start")
            << F::DestinationRemoved << 0 << 0 << true << 0 << folderMissing("a.jpg");
        QTest::newRow("destination moved away midway")
            << F::DestinationMoved << kWhich << 0 << true << 2 << folderMissing("c.photo");
        // The files' own folder gone is no fault of the destination: the
        // window then shows the nearest folder that is still there.
        QTest::newRow("folder moved away before the click")
            << F::SourceFolderMoved << -1 << 0 << false << 0 << accessError("a.jpg", folderGone);
        QTest::newRow("folder moved away midway") << F::SourceFolderMoved << kWhich << 0 << false
                                                  << 2 << accessError("c.photo", folderGone);
        QTest::newRow("folder moved away midway, destination elsewhere")
            << F::SourceFolderMoved << kWhich << 0 << true << 2
            << accessError("c.photo", folderGone);
        QTest::newRow("destination made read-only at the start")
            << F::DestinationReadOnly << 0 << EACCES << true << 0 << accessError("a.jpg", refused);
        QTest::newRow("destination made read-only midway")
            << F::DestinationReadOnly << kWhich << EACCES << true << 2
            << accessError("c.photo", refused);
        QTest::newRow("name too long")
            << F::NameTooLong << -1 << 0 << false << 0
            << QStringLiteral("エラーによって処理できませんでした.\r\n\r\nc.photo → ") +
                   QString(83, QChar(u'ア')) +
                   QStringLiteral("3.photo\r\n名前が長すぎます\r\nファイルは変換していません.");
        QTest::newRow("another file system")
            << F::OtherFileSystem << -1 << 0 << true << 0
            << accessError("a.jpg", QStringLiteral("別のドライブへは移動できません"));
        // What a card pulled out, or a failing drive, brings.
        const char* const kDriveGone = "ドライブが取り外されたか、読み書きできません";
        struct Refusal {
            const char* name;
            int error;
            const char* reason;
        };
        std::vector<Refusal> refusals = {{"permission refused", EACCES, "アクセスが拒否されました"},
                                         {"operation refused", EPERM, "アクセスが拒否されました"},
                                         {"read-only medium", EROFS, "読み取り専用です"},
                                         {"busy file", EBUSY, "ファイルが使用中です"},
                                         {"busy program file", ETXTBSY, "ファイルが使用中です"},
                                         {"medium full", ENOSPC, "ディスクの空きが足りません"},
                                         {"input/output error", EIO, kDriveGone},
                                         {"card's driver gone", ENOTCONN, kDriveGone},
                                         {"no such device", ENODEV, kDriveGone},
                                         {"device unplugged", ENXIO, kDriveGone},
                                         {"stale handle", ESTALE, kDriveGone},
                                         {"transport shut down", ESHUTDOWN, kDriveGone},
                                         {"too many links", EMLINK, nullptr},
                                         {"unknown error", 1234, nullptr}};
#ifdef EDQUOT
        refusals.push_back({"quota used up", EDQUOT, "ディスクの空きが足りません"});
#endif
        for (const Refusal& refusal : refusals) {
            const QString reason = refusal.reason
                                       ? QString::fromUtf8(refusal.reason)
                                       : QStringLiteral("エラー番号 %1").arg(refusal.error);
            QTest::newRow(refusal.name) << F::Injected << kWhich << refusal.error << true << 2
                                        << accessError("c.photo", reason);
        }
    }

    void runMeetsAFault() {
        QFETCH(Fault, fault);
        QFETCH(int, when);
        QFETCH(int, error);
        QFETCH(bool, destination);
        QFETCH(int, moved);
        QFETCH(QString, message);

        // root/src holds the five listed files and a subfolder that the run
        // never sees; root/dst, the destination, holds a file of its own.
        QTemporaryDir rootDir;
        std::unique_ptr<QTemporaryDir> shm;
        if (fault == Fault::OtherFileSystem) {
            if (QStorageInfo(QStringLiteral("/dev/shm")).device() ==
                QStorageInfo(rootDir.path()).device())
                QSKIP("no second file system at hand");
            shm = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/faults-XXXXXX"));
        }
        const QByteArray root = QFile::encodeName(rootDir.path()) + '/';
        const QByteArray dstRoot = shm ? QFile::encodeName(shm->path()) + '/' : root;
        namespace fs = std::filesystem;
        fs::create_directories((root + "src/sub").toStdString());
        fs::create_directories((dstRoot + "dst").toStdString());
        const QByteArray prefix =
            fault == Fault::NameTooLong ? QString(83, QChar(u'ア')).toUtf8() : QByteArray("p");
        const QByteArrayList entries{"a.jpg", "b.jpg", "c.photo", "d.jpg", "e.jpg"};
        const QByteArray dst = destination ? "dst/" : "src/";
        std::vector<Photo> photos;
        for (int k = 0; k < entries.size(); ++k) {
            const QByteArray& entry = entries[k];
            const QByteArray newName =
                prefix + QByteArray::number(k + 1) + entry.mid(entry.lastIndexOf('.'));
            photos.push_back({photoBytes(entry, k), "src/" + entry, dst + newName});
        }
        photos.push_back({"never listed", "src/sub/inner.jpg", "src/sub/inner.jpg"});
        photos.push_back({"the destination's own", "dst/keep.txt", "dst/keep.txt"});
        for (const Photo& photo : photos)
            writeWhole((photo.oldPath.startsWith("dst/") ? dstRoot : root) + photo.oldPath,
                       photo.bytes);
        if (shm) {  // the destination's files are accounted for on their own
            photos.pop_back();
            for (Photo& photo : photos)
                photo.newPath = photo.oldPath;
        }

        // What the other program does, and what the test then expects.
        const auto relocate = [&](const QByteArray& from, const QByteArray& to) {
            for (Photo& photo : photos) {
                for (QByteArray* path : {&photo.oldPath, &photo.newPath}) {
                    if (path->startsWith(from))
                        path->replace(0, from.size(), to);
                }
            }
        };
        const Photo target = photos[kWhich];
        // Writable again at the end, so that the temporary folder can go.
        constexpr fs::perms writable =
            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
        const auto restoreWriting = qScopeGuard([&] {
            std::error_code ignored;
            fs::permissions((root + "dst").toStdString(), writable, fs::perm_options::add, ignored);
        });
        BusyFolderFileSystem busy;
        std::function<void()> act;
        switch (fault) {
            case Fault::TargetCreated:
                act = [&] { writeWhole(root + target.newPath, "another program's"); };
                photos.push_back({"another program's", target.newPath, target.newPath});
                break;
            case Fault::TargetFolderCreated:
                act = [&] { fs::create_directory((root + target.newPath).toStdString()); };
                break;
            case Fault::TargetTwinCreated: {
                const QByteArray twin(target.bytes.size(), 't');
                act = [&, twin] {
                    writeWhole(root + target.newPath, twin);
                    fs::last_write_time((root + target.newPath).toStdString(),
                                        fs::last_write_time((root + target.oldPath).toStdString()));
                };
                photos.push_back({twin, target.newPath, target.newPath});
                break;
            }
            case Fault::SourceDeleted:
                act = [&] { fs::remove((root + target.oldPath).toStdString()); };
                photos.erase(photos.begin() + kWhich);
                break;
            case Fault::DestinationRemoved:
                act = [&] { fs::remove_all((root + "dst").toStdString()); };
                photos.pop_back();  // dst/keep.txt went with its folder
                break;
            case Fault::DestinationMoved:
                act = [&] {
                    fs::rename((root + "dst").toStdString(), (root + "gone").toStdString());
                };
                relocate("dst/", "gone/");
                break;
            case Fault::SourceFolderMoved:
                act = [&] {
                    fs::rename((root + "src").toStdString(), (root + "gone").toStdString());
                };
                relocate("src/", "gone/");
                break;
            case Fault::DestinationReadOnly:
                act = [&] {
                    fs::permissions((root + "dst").toStdString(), writable,
                                    fs::perm_options::remove);
                    // Root writes into it all the same: refuse as a user's run is refused.
                    if (runningAsRoot()) {
                        busy.refusedFolder = root + "dst/";
                        busy.error = error;
                    }
                };
                break;
            case Fault::Injected:
                busy.failFrom = when;
                busy.error = error;
                break;
            case Fault::NameTooLong:
            case Fault::OtherFileSystem:
                break;
        }
        if (when >= 0) {
            busy.actBefore = when;
            busy.act = act;
        }

        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        w.setFileSystem(&busy);
        QCOMPARE(w.openFolder(QFile::decodeName(root + "src")), FolderAccess::Opened);
        QCOMPARE(d.conversionList()->count(), int(entries.size()));
        if (destination) {
            d.moveToFolder()->setChecked(true);
            w.setDestination(QFile::decodeName(dstRoot + "dst"));
        }
        d.prefix()->setText(QString::fromUtf8(prefix));
        if (when < 0 && act)
            act();
        d.convert();

        // The question, then the failure's own message, and nothing more.
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown[0].message.icon, Icon::Question);
        QVERIFY(boxes.shown[0].message.cancelIsDefault);
        QCOMPARE(boxes.shown[1].message.text, message);
        QCOMPARE(boxes.shown[1].message.icon, message == kNameTaken ? Icon::Warning : Icon::None);
        QCOMPARE(boxes.shown[1].message.title,
                 message == kNameTaken ? QStringLiteral("注意") : QString());
        // The run stopped at the failed file: no rename was tried after it;
        // none at all where the file could not be found to be recorded
        // first (its folder gone).
        const bool unrecordable = fault == Fault::SourceFolderMoved && when < 0;
        QCOMPARE(busy.calls, fault == Fault::NameTooLong || unrecordable ? moved : moved + 1);

        const Files now = inventory(root);
        VERIFY_ACCOUNTED_FOR(now, photos);
        QCOMPARE(movedCount(now, photos), moved);
        for (int k = 0; k < moved; ++k)
            QVERIFY(now.count(photos[size_t(k)].newPath));

        // The window shows the folder as it now is: the files renamed so far
        // under their new names; where the folder went away, the nearest
        // folder that is still there.
        const QByteArray shown = fault == Fault::SourceFolderMoved ? QByteArray() : "src/";
        if (shown.isEmpty())
            QCOMPARE(d.folders()->path(), rootDir.path());
        QStringList expected;
        for (const auto& [path, bytes] : now) {
            const QByteArray name = path.mid(shown.size());
            if (path.startsWith(shown) && !name.contains('/'))
                expected << QString::fromUtf8(name);
        }
        QStringList listed = d.listed();
        listed.sort();
        expected.sort();
        QCOMPARE(listed, expected);
        if (shm)
            QCOMPARE(inventory(dstRoot), (Files{{"dst/keep.txt", "the destination's own"}}));
    }
};

QTEST_MAIN(TestRenameFaults)
#include "test_rename_faults.moc"
