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
    // about whether its holder still lives.
    void secondProcessIsRefused_data() {
        QTest::addColumn<int>("age");  // seconds since the lock file was last written
        QTest::newRow("just taken") << 0;
        QTest::newRow("held for an hour") << 3600;
    }
    void secondProcessIsRefused() {
        QFETCH(int, age);
        QProcess holder;
        startHolder(holder);
        const QByteArray lockFile = QFile::encodeName(SingleInstance(m_dir.path()).lockFilePath());
        const time_t then = time(nullptr) - age;
        const utimbuf times{then, then};
        QCOMPARE(utime(lockFile.constData(), &times), 0);
        SingleInstance second(m_dir.path());
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
