#include <QtTest>

#include "core/rename/RenameEngine.h"
#include "core/rename/SerialNumbers.h"

// Every serial of a batch is written with one width, and goes to one folder.
class TestSerialNumbers : public QObject {
    Q_OBJECT
private slots:
    void widths_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("width");
        QTest::newRow("1 over 9") << "1" << 9 << 1;
        QTest::newRow("1 over 10") << "1" << 10 << 2;
        QTest::newRow("1 over 100") << "1" << 100 << 3;
        QTest::newRow("95 over 10") << "95" << 10 << 3;
        QTest::newRow("007 over 3") << "007" << 3 << 3;
        QTest::newRow("0 over 1") << "0" << 1 << 1;
        QTest::newRow("00000 over 1") << "00000" << 1 << 5;
        QTest::newRow("32767 alone") << "32767" << 1 << 5;
    }
    void widths() {
        QFETCH(QString, start);
        QFETCH(int, count);
        const std::optional<int> value = plainStartNumber(start);
        QVERIFY(value);
        QTEST(serialWidth(start, *value, count), "width");
    }

    void startNumbers_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("value");  // -1: refused
        QTest::newRow("plain") << "12" << 12;
        QTest::newRow("leading zeros") << "007" << 7;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("sign") << "-5" << -1;
        QTest::newRow("full-width digits") << "１２" << -1;
        QTest::newRow("blank") << " 1" << -1;
        QTest::newRow("far too large, held at the limit") << "99999999999999999999" << 32768;
    }
    void startNumbers() {
        QFETCH(QString, start);
        QFETCH(int, value);
        const std::optional<int> read = plainStartNumber(start);
        QCOMPARE(read.value_or(-1), value);
    }

    void targetFolder_data() {
        QTest::addColumn<bool>("moveToDestination");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("source is the root") << false << "/out"
                                            << "/" << QByteArray("/");
        QTest::newRow("source folder") << false << "/out"
                                       << "/photo" << QByteArray("/photo/");
        QTest::newRow("destination is the root") << true << "/"
                                                 << "/photo" << QByteArray("/");
        QTest::newRow("destination from the root") << true << "/out"
                                                   << "/" << QByteArray("/out/");
    }
    void targetFolder() {
        QFETCH(bool, moveToDestination);
        QFETCH(QString, destination);
        QFETCH(QString, folder);
        RenameRequest request;
        request.moveToDestination = moveToDestination;
        request.destination = destination;
        request.folder = folder;
        request.startNumber = QStringLiteral("1");
        request.shots = {ListedFile{"a.jpg", 0, {}}};
        PosixFileSystem fs;
        QTEST(RenamePlan::make(request, fs).targetFolder(), "target");
    }
};

QTEST_GUILESS_MAIN(TestSerialNumbers)
#include "test_serial_numbers.moc"
