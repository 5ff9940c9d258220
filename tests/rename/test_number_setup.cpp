#include <QtTest>

#include "rename/NumberSetup.h"

// Every serial of a batch hangs on these three values.
class TestNumberSetup : public QObject {
    Q_OBJECT
private slots:
    void widths_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("mask");
        QTest::newRow("1 over 9") << "1" << 9 << 1 << "0";
        QTest::newRow("1 over 10") << "1" << 10 << 2 << "00";
        QTest::newRow("1 over 100") << "1" << 100 << 3 << "000";
        QTest::newRow("95 over 10") << "95" << 10 << 3 << "000";
        QTest::newRow("007 over 3") << "007" << 3 << 1 << "000";
        QTest::newRow("0 over 1") << "0" << 1 << 1 << "0";
        QTest::newRow("00000 over 1") << "00000" << 1 << 1 << "00000";
        QTest::newRow("pasted sign") << "-5" << 3 << 2 << "00";  // last serial -3
    }
    void widths() {
        QFETCH(QString, start);
        QFETCH(int, count);
        const NumberSetup setup = NUMBER_setup(false, "/dest", "/photos", start, count);
        QTEST(setup.DIGITS, "digits");
        QTEST(setup.FORMAT_MASK, "mask");
        QCOMPARE(NUMBER_setup(false, "/dest", "/photos", start, count), setup);
    }

    void destination_data() {
        QTest::addColumn<bool>("changeDestination");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("newPath");
        QTest::newRow("source is the root") << false << "/out"
                                            << "/"
                                            << "/";
        QTest::newRow("source folder") << false << "/out"
                                       << "/photo"
                                       << "/photo/";
        QTest::newRow("destination is the root") << true << "/"
                                                 << "/photo"
                                                 << "/";
        QTest::newRow("destination from the root") << true << "/out"
                                                   << "/"
                                                   << "/out/";
    }
    void destination() {
        QFETCH(bool, changeDestination);
        QFETCH(QString, label);
        QFETCH(QString, folder);
        QTEST(NUMBER_setup(changeDestination, label, folder, "1", 3).NEW_PATH, "newPath");
    }
};

QTEST_GUILESS_MAIN(TestNumberSetup)
#include "test_number_setup.moc"
