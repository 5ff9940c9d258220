#include <QtTest>

#include "TestFiles.h"
#include "app/Module1.h"
#include "app/SettingsLocation.h"
#include "ui/main/Tolvane.h"
#include "ui/platform/FileList.h"
#include "ui/platform/FolderList.h"
#include "ui/platform/ListBox.h"
#include "ui/platform/SessionEnd.h"

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

    void open(Tolvane& w) {
        w.File->setPattern(u"*.jpg"_s);
        w.Folder->setPath(photos_.path());
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
        Tolvane w;
        open(w);
        ::raise(SIGTERM);
        QTRY_VERIFY(!w.isVisible());
        QVERIFY(SessionEnd::requested());
        QCOMPARE(INI_read(u"Data"_s, u"パス"_s), photos_.path());
    }

    // The confirmation answers Cancel: not one file is renamed, and the
    // program still closes the usual way.
    void endDuringTheConfirmationRenamesNothing() {
        Tolvane w;
        open(w);
        QCOMPARE(w.List->ListCount(), 2);
        QTimer::singleShot(100, [] { ::raise(SIGTERM); });
        w.HENKAN->click();  // returns once the box has been closed

        QVERIFY(!w.isVisible());
        QCOMPARE(QDir(photos_.path()).entryList(QDir::Files),
                 (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
        QCOMPARE(INI_read(u"Data"_s, u"パス"_s), photos_.path());
    }
};

QTEST_MAIN(TestSessionEnd)
#include "test_session_end.moc"
