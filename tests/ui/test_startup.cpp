#include <QtTest>

#include "Doubles.h"
#include "Modal.h"
#include "TestFiles.h"
#include "app/Module1.h"
#include "app/SettingsLocation.h"
#include "app/Startup.h"
#include "ui/dialogs/frmSETEI.h"
#include "ui/main/Tolvane.h"
#include "ui/platform/DriveList.h"
#include "ui/platform/FileList.h"
#include "ui/platform/FolderList.h"
#include "ui/platform/ListBox.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>

#include <cerrno>

namespace {

void writeSettings(const QString& folder, const QByteArray& text) {
    QFile f(folder + QStringLiteral("/Tolvane.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

}  // namespace

// Start-up and shutdown on a temporary application folder and start folder.
class TestStartup : public QObject {
    Q_OBJECT
    QTemporaryDir appDir_;
    QTemporaryDir startDir_;
    QString oldCurrent_;

private slots:
    void init() {
        QFile::remove(appDir_.filePath(QStringLiteral("Tolvane.ini")));
        setApplicationFolderForTesting(appDir_.path());
        oldCurrent_ = QDir::currentPath();
        QDir::setCurrent(startDir_.path());
        touch(startDir_.filePath(QStringLiteral("start1.jpg")));
        touch(startDir_.filePath(QStringLiteral("start2.png")));
    }
    void cleanup() {
        QDir::setCurrent(oldCurrent_);
        setApplicationFolderForTesting(QString());
    }

    void firstRunAsksForExtensions() {
        ScriptedMessageBox boxes;
        Tolvane w;
        bool sawDialog = false;
        whenModalAppears([&](QWidget* modal) {
            auto* dialog = qobject_cast<frmSETEI*>(modal);
            QVERIFY(dialog);
            sawDialog = true;
            QVERIFY(!w.isVisible());  // before the window shows
            QCOMPARE(dialog->List->ListCount(), 1);
            QCOMPARE(dialog->List->List(0), QStringLiteral("*.jpg"));
            dialog->List->AddItem(QStringLiteral("*.png"));
            dialog->MAIN->click();
        });
        Form_Load(w);
        QVERIFY(sawDialog);
        QCOMPARE(INI_read(QStringLiteral("Data"), QStringLiteral("拡張子")),
                 QStringLiteral("*.png;*.jpg"));
        QCOMPARE(w.File->Pattern(), QStringLiteral("*.png;*.jpg"));
        QCOMPARE(listed(w), (QStringList{"start1.jpg", "start2.png"}));
        QCOMPARE(w.labelCaption(), startDir_.path());
        QVERIFY(boxes.shown.isEmpty());
    }

    void firstRunClosedStoresNothing() {
        Tolvane w;
        whenModalAppears([](QWidget* modal) { modal->close(); });
        Form_Load(w);
        QCOMPARE(INI_read(QStringLiteral("Data"), QStringLiteral("拡張子")), QString());
        QCOMPARE(w.File->Pattern(), QString::fromUtf16(kPlaceholderPattern));
        QCOMPARE(w.List->ListCount(), 0);
        QVERIFY(!QFile::exists(appDir_.filePath(QStringLiteral("Tolvane.ini"))));
    }

    void storedFolder_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("opens");
        QTest::newRow("restored") << "photos"
                                  << "photos";
        QTest::newRow("deleted meanwhile") << "gone"
                                           << "";
        QTest::newRow("empty") << "<empty>"
                               << "";
        QTest::newRow("a file, not a folder") << "start1.jpg"
                                              << "";
    }
    void storedFolder() {
        QFETCH(QString, stored);
        QFETCH(QString, opens);
        QTemporaryDir other;
        QDir(other.path()).mkpath(QStringLiteral("photos"));
        touch(other.filePath(QStringLiteral("photos/p1.jpg")));
        touch(other.filePath(QStringLiteral("start1.jpg")));
        const QString storedPath =
            stored == QLatin1String("<empty>") ? QString() : other.filePath(stored);
        writeSettings(
            appDir_.path(),
            "[Data]\n\xe6\x8b\xa1\xe5\xbc\xb5\xe5\xad\x90=*.jpg\n\xe3\x83\x91\xe3\x82\xb9=" +
                storedPath.toUtf8() + "\n");
        ScriptedMessageBox boxes;
        Tolvane w;
        Form_Load(w);
        const QString expected = opens.isEmpty() ? startDir_.path() : other.filePath(opens);
        QCOMPARE(w.Folder->Path(), expected);
        QCOMPARE(w.labelCaption(), expected);
        QCOMPARE(listed(w), opens.isEmpty() ? QStringList{"start1.jpg"} : QStringList{"p1.jpg"});
        QVERIFY(boxes.shown.isEmpty());  // no message in any case
    }

    void storedFolderOnAnotherDrive() {
        QTemporaryDir card;
        QDir(card.path()).mkpath(QStringLiteral("DCIM/100CANON"));
        touch(card.filePath(QStringLiteral("DCIM/100CANON/IMG_0001.JPG")));
        ScriptedVolumes volumes;
        volumes.addDrive(card.path());
        const QString stored = card.filePath(QStringLiteral("DCIM/100CANON"));
        writeSettings(
            appDir_.path(),
            "[Data]\n\xe6\x8b\xa1\xe5\xbc\xb5\xe5\xad\x90=*.jpg\n\xe3\x83\x91\xe3\x82\xb9=" +
                stored.toUtf8() + "\n");
        Tolvane w;
        Form_Load(w);
        QCOMPARE(w.Drive->Drive(), card.path());
        QCOMPARE(w.Folder->Path(), stored);
        QCOMPARE(listed(w), QStringList{"IMG_0001.JPG"});
    }

    void storedFolderOnADriveThatIsNotReady() {
        QTemporaryDir card;
        ScriptedVolumes volumes;
        volumes.addDrive(card.path(), ENOMEDIUM);
        writeSettings(
            appDir_.path(),
            "[Data]\n\xe6\x8b\xa1\xe5\xbc\xb5\xe5\xad\x90=*.jpg\n\xe3\x83\x91\xe3\x82\xb9=" +
                card.path().toUtf8() + "\n");
        ScriptedMessageBox boxes;
        Tolvane w;
        Form_Load(w);
        QCOMPARE(w.Folder->Path(), startDir_.path());
        QVERIFY(boxes.shown.isEmpty());
    }

    void closeStoresTheFolder() {
        writeSettings(appDir_.path(),
                      "; kept\n[Data]\n\xe6\x8b\xa1\xe5\xbc\xb5\xe5\xad\x90=*.jpg\n[Other]\nx=1\n");
        QTemporaryDir next;
        {
            Tolvane w;
            Form_Load(w);
            w.show();
            w.Folder->setPath(next.path());
            w.close();
        }
        QCOMPARE(INI_read(QStringLiteral("Data"), QStringLiteral("パス")), next.path());
        QFile f(appDir_.filePath(QStringLiteral("Tolvane.ini")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("; kept"));
        QVERIFY(text.contains("[Other]\nx=1"));
        // The next start opens there.
        Tolvane again;
        Form_Load(again);
        QCOMPARE(again.Folder->Path(), next.path());
    }

    void secondCopyEndsAtOnce() {
        QTemporaryDir runtime;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess first;
        first.setProcessEnvironment(env);
        first.setWorkingDirectory(startDir_.path());
        first.start(QStringLiteral(TOLVANE_EXE), {});
        QVERIFY(first.waitForStarted());
        // The first copy holds its lock once it is up.
        QTRY_VERIFY_WITH_TIMEOUT(
            !QDir(runtime.path()).entryList(QDir::Files | QDir::Hidden).isEmpty(), 10000);
        QProcess second;
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(startDir_.path());
        second.start(QStringLiteral(TOLVANE_EXE), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);
        first.kill();
        first.waitForFinished();
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
