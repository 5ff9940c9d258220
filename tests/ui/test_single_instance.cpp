#include <QtTest>

#include "ui/startup/SingleInstance.h"

#include <cstdio>

#include <utime.h>

// A second copy of the program is a second process: the holder of the lock is
// this test executable itself, started again with "--hold-lock <folder>".

namespace {

const char kHoldLock[] = "--hold-lock";

// Holds the lock until the parent closes our input, or kills us.
int holdLock(const QString& folder) {
    SingleInstance instance(folder);
    if (!instance.acquire())
        return 2;
    std::fputs("locked\n", stdout);
    std::fflush(stdout);
    QFile input;
    if (input.open(stdin, QIODevice::ReadOnly))
        input.readAll();
    return 0;
}

}  // namespace

class TestSingleInstance : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // Starts a holder and waits until it owns the lock.
    void startHolder(QProcess& holder) {
        holder.start(QCoreApplication::applicationFilePath(), {kHoldLock, m_dir.path()});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("locked"));
    }

private slots:
    // However long the first copy has run: a lock file's age says nothing
    // about whether its holder still lives. Where the file system keeps no
    // native lock on the file (some network homes), only the lock's own
    // judgement of staleness keeps the second copy out: a copy of the
    // holder's lock file, in a folder of its own, plays that lock.
    void secondProcessIsRefused_data() {
        QTest::addColumn<int>("age");  // seconds since the lock file was last written
        QTest::addColumn<bool>("nativeLock");
        QTest::newRow("just taken") << 0 << true;
        QTest::newRow("held for an hour") << 3600 << true;
        QTest::newRow("held for an hour, no native lock") << 3600 << false;
    }
    void secondProcessIsRefused() {
        QFETCH(int, age);
        QFETCH(bool, nativeLock);
        QProcess holder;
        startHolder(holder);
        QTemporaryDir elsewhere;
        const QString folder = nativeLock ? m_dir.path() : elsewhere.path();
        QFile lockFile(SingleInstance(folder).lockFilePath());
        if (!nativeLock) {
            QVERIFY(QFile::copy(SingleInstance(m_dir.path()).lockFilePath(), lockFile.fileName()));
        }
        const time_t then = time(nullptr) - age;
        const utimbuf times{then, then};
        QCOMPARE(utime(QFile::encodeName(lockFile.fileName()).constData(), &times), 0);
        SingleInstance second(folder);
        QVERIFY(!second.acquire());

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(holder.exitCode(), 0);
        QVERIFY(second.acquire());
    }

    void processStartedSecondEnds() {
        SingleInstance first(m_dir.path());
        QVERIFY(first.acquire());
        QProcess second;
        second.start(QCoreApplication::applicationFilePath(), {kHoldLock, m_dir.path()});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 2);
    }

    void lockOfKilledProcessIsTakenOver() {
        QProcess holder;
        startHolder(holder);
        const QString lockFile = SingleInstance(m_dir.path()).lockFilePath();
        holder.kill();
        QVERIFY(holder.waitForFinished(10000));
        QVERIFY(QFile::exists(lockFile));  // left behind, as after a crash

        SingleInstance next(m_dir.path());
        QVERIFY(next.acquire());
    }

    // No lock can be made where its folder cannot be: the program runs.
    void runsWithoutALock() {
        QFile blocker(m_dir.filePath(QStringLiteral("a file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        SingleInstance instance(blocker.fileName() + QStringLiteral("/locks"));
        QVERIFY(instance.acquire());
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], kHoldLock) == 0)
        return holdLock(QString::fromLocal8Bit(argv[2]));
    TestSingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_single_instance.moc"
