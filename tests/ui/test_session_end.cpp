#include <QtTest>

#include "TestFiles.h"
#include "WindowDriver.h"
#include "core/settings/Settings.h"
#include "ui/services/SessionEnd.h"

#include <QPushButton>

#include <csignal>

using namespace Qt::StringLiterals;

// The desktop session ending (a real SIGTERM to this process) while the
// window is open, with and without a question on the screen. The message
// boxes are the real ones.
class TestSessionEnd : public QObject {
    Q_OBJECT
    QTemporaryDir appFolder_;
    QTemporaryDir photos_;

    void open(MainWindow& w) {
        MainWindowDriver d(w);
        d.files()->setPattern(u"*.jpg"_s);
        d.folders()->setPath(photos_.path());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        SessionEnd::install([&w] { SessionEnd::closeWindows(w); });
    }

private slots:
    void initTestCase() {
        setApplicationFolderForTesting(appFolder_.path());
        touch(photos_.filePath(u"b.jpg"_s));
        touch(photos_.filePath(u"a.jpg"_s));
    }
    void init() { QFile::remove(settingsFilePath()); }
    void cleanupTestCase() { setApplicationFolderForTesting(QString()); }

    void endWhileIdleStoresTheFolder() {
        MainWindow w;
        MainWindowDriver d(w);
        open(w);
        ::raise(SIGTERM);
        QTRY_VERIFY(!w.isVisible());
        QVERIFY(SessionEnd::requested());
        QCOMPARE(readSetting(Setting::LastFolder), photos_.path());
    }

    // The confirmation answers Cancel: not one file is renamed, and the
    // program still closes the usual way.
    void endDuringTheConfirmationRenamesNothing() {
        MainWindow w;
        MainWindowDriver d(w);
        open(w);
        QCOMPARE(d.conversionList()->count(), 2);
        QTimer::singleShot(100, [] { ::raise(SIGTERM); });
        d.convert();  // returns once the box has been closed

        QVERIFY(!w.isVisible());
        QCOMPARE(QDir(photos_.path()).entryList(QDir::Files),
                 (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
        QCOMPARE(readSetting(Setting::LastFolder), photos_.path());
    }
};

QTEST_MAIN(TestSessionEnd)
#include "test_session_end.moc"
