#include <QtTest>

#include "Doubles.h"
#include "Modal.h"
#include "TestFiles.h"
#include "WindowDriver.h"
#include "core/settings/Settings.h"
#include "ui/controls/PatternList.h"
#include "ui/startup/Startup.h"
#include "ui/windows/ExtensionListDialog.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>

#include <cerrno>
#include <csignal>

using namespace Qt::StringLiterals;

namespace {

void writeSettings(const QString& folder, const QByteArray& text) {
    QFile f(folder + QStringLiteral("/Tolvane.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// A settings file with an extension list, so that the program starts without
// the first run's dialog, and with a stored folder when one is given.
void writeSettingsWithFolder(const QString& folder, const QString& stored) {
    QByteArray text = "[Data]\n\xe6\x8b\xa1\xe5\xbc\xb5\xe5\xad\x90=*.jpg\n";
    if (!stored.isEmpty())
        text += "\xe3\x83\x91\xe3\x82\xb9=" + stored.toUtf8() + "\n";
    writeSettings(folder, text);
}

}  // namespace

// Start-up and shutdown on a temporary application folder and start folder.
// The tests between processes run a copy of the program of their own, kept
// in the application folder: it keeps its settings file beside itself there,
// as a portable copy does, where the test reads what it stored.
class TestStartup : public QObject {
    Q_OBJECT
    QTemporaryDir appDir_;
    QTemporaryDir startDir_;
    QString oldCurrent_;

    QString program() const { return appDir_.filePath(u"tolvane"_s); }

    // Starts the program copy offscreen, with its lock and socket in runtime.
    void start(QProcess& process, const QString& runtime, const QString& workingFolder,
               const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, runtime);
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(workingFolder);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(program(), arguments);
        QVERIFY(process.waitForStarted());
    }
    // Until the program listens for later starts: a signal from then on is
    // answered once its start-up is over.
    static void waitUntilListening(const QString& runtime) {
        QTRY_VERIFY_WITH_TIMEOUT(
            !QDir(runtime).entryList({u"*.socket"_s}, QDir::System | QDir::Hidden).isEmpty(),
            20000);
    }
    // Ends the program as the session's end does; it stores its folder.
    static void end(QProcess& process) {
        QCOMPARE(process.state(), QProcess::Running);
        ::kill(pid_t(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

private slots:
    void initTestCase() {
        // QFile::copy keeps the permissions: the copy runs.
        QVERIFY(QFile::copy(QStringLiteral(TOLVANE_EXE), program()));
    }

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
            findOnly<PatternList>(*dialog)->addText(QStringLiteral("*.png"));
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

    // A later start without a folder ends at once and touches nothing: the
    // running copy stays where it was, the runtime folder as it was.
    void secondCopyEndsAtOnce() {
        QTemporaryDir runtime;
        writeSettingsWithFolder(appDir_.path(), QString());
        QProcess first;
        start(first, runtime.path(), startDir_.path(), {});
        const auto entries = [&runtime] {
            return QDir(runtime.path())
                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
        };
        // The lock and the socket, once the socket's temporary folder is gone.
        QTRY_COMPARE_WITH_TIMEOUT(entries().size(), 2, 20000);
        const QStringList before = entries();
        QProcess second;
        start(second, runtime.path(), startDir_.path(), {});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(entries(), before);
        end(first);
        QCOMPARE(readSetting(Setting::LastFolder), startDir_.path());
    }

    // `tolvane FOLDER` opens that folder instead of the stored one; what it
    // opened is what it stores when it ends.
    void folderOnTheCommandLine_data() {
        QTest::addColumn<QStringList>("arguments");  // <tree> stands for the test's folder
        QTest::addColumn<QString>("stored");         // under <tree>; empty: none
        QTest::addColumn<QString>("opens");          // under <tree>
        QTest::newRow("folder") << QStringList{"<tree>/photos"} << "stored"
                                << "photos";
        QTest::newRow("a file: its folder") << QStringList{"<tree>/photos/p1.jpg"} << "stored"
                                            << "photos";
        QTest::newRow("relative to the working folder") << QStringList{"../photos"} << "stored"
                                                        << "photos";
        QTest::newRow("missing: the stored folder") << QStringList{"<tree>/gone"} << "stored"
                                                    << "stored";
        QTest::newRow("missing, none stored: the start folder") << QStringList{"<tree>/gone"} << ""
                                                                << "start";
        QTest::newRow("unknown option, two folders: the first")
            << QStringList{"--no-such-option", "<tree>/other", "<tree>/photos"} << "stored"
            << "other";
    }
    void folderOnTheCommandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, stored);
        QFETCH(QString, opens);
        QTemporaryDir tree;
        for (const char* folder : {"start", "photos", "other", "stored"})
            QVERIFY(QDir(tree.path()).mkpath(QString::fromLatin1(folder)));
        touch(tree.filePath(u"photos/p1.jpg"_s));
        writeSettingsWithFolder(appDir_.path(), stored.isEmpty() ? stored : tree.filePath(stored));
        arguments.replaceInStrings(u"<tree>"_s, tree.path());

        QTemporaryDir runtime;
        QProcess program;
        start(program, runtime.path(), tree.filePath(u"start"_s), arguments);
        waitUntilListening(runtime.path());
        end(program);
        QCOMPARE(readSetting(Setting::LastFolder), tree.filePath(opens));
    }

    // A later start with a folder hands it to the running copy, which opens
    // it, and ends. A relative path is taken from the later start's working
    // folder, not from the running copy's.
    void runningCopyTakesTheFolder_data() {
        QTest::addColumn<QString>("argument");  // <tree> stands for the test's folder
        QTest::addColumn<QString>("opens");     // under <tree>
        QTest::newRow("folder") << "<tree>/photos"
                                << "photos";
        QTest::newRow("relative") << "photos"
                                  << "photos";
        QTest::newRow("missing: stays where it was") << "<tree>/gone"
                                                     << "first";
    }
    void runningCopyTakesTheFolder() {
        QFETCH(QString, argument);
        QFETCH(QString, opens);
        QTemporaryDir tree;
        for (const char* folder : {"first", "photos"})
            QVERIFY(QDir(tree.path()).mkpath(QString::fromLatin1(folder)));
        writeSettingsWithFolder(appDir_.path(), QString());

        QTemporaryDir runtime;
        QProcess first;
        start(first, runtime.path(), tree.filePath(u"first"_s), {});
        waitUntilListening(runtime.path());
        QProcess second;
        start(second, runtime.path(), tree.path(), {argument.replace(u"<tree>"_s, tree.path())});
        // The second start ends once the running copy has the folder.
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        end(first);
        QCOMPARE(readSetting(Setting::LastFolder), tree.filePath(opens));
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
