#include <QtTest>

#include "Doubles.h"
#include "Modal.h"
#include "TestFiles.h"
#include "WindowDriver.h"
#include "core/settings/Settings.h"
#include "ui/startup/Startup.h"
#include "ui/windows/ExtensionListDialog.h"

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
        MainWindow w;
        MainWindowDriver d(w);
        bool sawDialog = false;
        whenModalAppears([&](QWidget* modal) {
            auto* dialog = qobject_cast<ExtensionListDialog*>(modal);
            QVERIFY(dialog);
            sawDialog = true;
            QVERIFY(!w.isVisible());  // before the window shows
            QCOMPARE(namesIn(*findOnly<NameList>(*dialog)), QStringList{"*.jpg"});
            findOnly<NameList>(*dialog)->addText(QStringLiteral("*.png"));
            findButton(*dialog, QStringLiteral("メインへ"))->click();
        });
        startUp(w);
        QVERIFY(sawDialog);
        QCOMPARE(readSetting(Setting::Extensions), QStringLiteral("*.png;*.jpg"));
        QCOMPARE(d.files()->pattern(), QStringLiteral("*.png;*.jpg"));
        QCOMPARE(d.listed(), (QStringList{"start1.jpg", "start2.png"}));
        QCOMPARE(w.destination(), startDir_.path());
        QVERIFY(boxes.shown.isEmpty());
    }

    void firstRunClosedStoresNothing() {
        MainWindow w;
        MainWindowDriver d(w);
        whenModalAppears([](QWidget* modal) { modal->close(); });
        startUp(w);
        QCOMPARE(readSetting(Setting::Extensions), QString());
        QCOMPARE(d.files()->pattern(), QString::fromUtf16(kNoExtensionsPattern));
        QCOMPARE(d.conversionList()->count(), 0);
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
        MainWindow w;
        MainWindowDriver d(w);
        startUp(w);
        const QString expected = opens.isEmpty() ? startDir_.path() : other.filePath(opens);
        QCOMPARE(d.folders()->path(), expected);
        QCOMPARE(w.destination(), expected);
        QCOMPARE(d.listed(), opens.isEmpty() ? QStringList{"start1.jpg"} : QStringList{"p1.jpg"});
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
        MainWindow w;
        MainWindowDriver d(w);
        startUp(w);
        QCOMPARE(d.drives()->drive(), card.path());
        QCOMPARE(d.folders()->path(), stored);
        QCOMPARE(d.listed(), QStringList{"IMG_0001.JPG"});
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
        MainWindow w;
        MainWindowDriver d(w);
        startUp(w);
        QCOMPARE(d.folders()->path(), startDir_.path());
        QVERIFY(boxes.shown.isEmpty());
    }

    void closeStoresTheFolder() {
        writeSettings(appDir_.path(),
                      "; kept\n[Data]\n\xe6\x8b\xa1\xe5\xbc\xb5\xe5\xad\x90=*.jpg\n[Other]\nx=1\n");
        QTemporaryDir next;
        {
            MainWindow w;
            MainWindowDriver d(w);
            startUp(w);
            w.show();
            d.folders()->setPath(next.path());
            w.close();
        }
        QCOMPARE(readSetting(Setting::LastFolder), next.path());
        QFile f(appDir_.filePath(QStringLiteral("Tolvane.ini")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY(text.contains("; kept"));
        QVERIFY(text.contains("[Other]\nx=1"));
        // The next start opens there.
        MainWindow again;
        startUp(again);
        QCOMPARE(again.openFolderPath(), next.path());
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
