#include <QtTest>

#include "core/files/CameraClocks.h"
#include "core/settings/Settings.h"

// Camera clock offsets: kept per camera in the settings file, grouped and
// applied over the listed files, and read from what the user typed.

using namespace Qt::StringLiterals;

namespace {

Camera cameraOf(const QByteArrayList& parts) {
    return Camera{parts.value(0), parts.value(1), parts.value(2)};
}

}  // namespace

class TestCameraClocks : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QByteArray settingsBytes() const {
        QFile file(dir_.filePath(u"Tolvane.ini"_s));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        setApplicationFolderForTesting(dir_.path());
    }
    void init() { QFile::remove(dir_.filePath(u"Tolvane.ini"_s)); }
    void cleanupTestCase() { setApplicationFolderForTesting(QString()); }

    // A camera whose names hold what the settings file takes for syntax
    // keeps its own offset, apart from a camera that a careless key would
    // confuse it with, and the file's other settings stay as they were.
    void keysOfAwkwardNames_data() {
        QTest::addColumn<QByteArrayList>("camera");
        QTest::addColumn<QByteArrayList>("other");
        QTest::newRow("= in the model")
            << QByteArrayList{"Maker", "EOS=5", ""} << QByteArrayList{"Maker", "EOS", ""};
        QTest::newRow("; at the start")
            << QByteArrayList{";Maker", "X", ""} << QByteArrayList{"Maker", "X", ""};
        QTest::newRow("# at the start")
            << QByteArrayList{"#1", "X", ""} << QByteArrayList{"1", "X", ""};
        QTest::newRow("[ at the start")
            << QByteArrayList{"[Data]", "X", ""} << QByteArrayList{"Data", "X", ""};
        QTest::newRow("] inside") << QByteArrayList{"Maker", "X]", "1"}
                                  << QByteArrayList{"Maker", "X", "1"};
        QTest::newRow("leading space")
            << QByteArrayList{" Maker", "X", ""} << QByteArrayList{"Maker", "X", ""};
        QTest::newRow("trailing space")
            << QByteArrayList{"Maker", "X", "123 "} << QByteArrayList{"Maker", "X", "123"};
        QTest::newRow("non-ASCII")
            << QByteArrayList{"写真機", "二号", ""} << QByteArrayList{"写真機", "一号", ""};
        QTest::newRow("Shift-JIS bytes")
            << QByteArrayList{"\x8e\xca", "X", ""} << QByteArrayList{"\x8e\xcb", "X", ""};
        QTest::newRow("| between the parts")
            << QByteArrayList{"A|B", "C", ""} << QByteArrayList{"A", "B|C", ""};
        QTest::newRow("% as if encoded")
            << QByteArrayList{"100%25", "X", ""} << QByteArrayList{"100%", "X", ""};
        QTest::newRow("line break")
            << QByteArrayList{"Maker\r\n[Data]", "X", ""} << QByteArrayList{"Maker", "X", ""};
    }
    void keysOfAwkwardNames() {
        QFETCH(QByteArrayList, camera);
        QFETCH(QByteArrayList, other);
        QVERIFY(writeSetting(Setting::LastFolder, u"/写真"_s));
        QVERIFY(storeClockOffsets({{cameraOf(other), -5000}, {cameraOf(camera), 3600000}}));
        const StoredClockOffsets stored = StoredClockOffsets::read();
        QCOMPARE(stored.msecsFor(cameraOf(camera)), 3600000);
        QCOMPARE(stored.msecsFor(cameraOf(other)), -5000);
        QCOMPARE(readSetting(Setting::LastFolder), u"/写真"_s);
        // Each key is printable ASCII on a line of its own, so that a file in
        // code page 932 takes it too.
        const QByteArray header = "[カメラの時計]\n";
        const QByteArray bytes = settingsBytes();
        const QByteArray keys = bytes.mid(bytes.indexOf(header) + header.size());
        QCOMPARE(keys.count('\n'), 2);
        for (const char c : keys)
            QVERIFY2(c == '\n' || (c >= ' ' && c <= '~'), keys.constData());
        // No offset removes the key, and only that one.
        QVERIFY(storeClockOffsets({{cameraOf(camera), 0}}));
        QCOMPARE(StoredClockOffsets::read().msecsFor(cameraOf(camera)), 0);
        QCOMPARE(StoredClockOffsets::read().msecsFor(cameraOf(other)), -5000);
    }

    // Offsets as the file keeps them, some edited by hand.
    void keptValues_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<qint64>("msecs");
        QTest::newRow("an hour") << QByteArray("3600") << qint64(3600000);
        QTest::newRow("backwards") << QByteArray("-86399") << qint64(-86399000);
        QTest::newRow("beyond the dialog's reach") << QByteArray("864000000") << qint64(0);
        QTest::newRow("not a number") << QByteArray("abc") << qint64(0);
        QTest::newRow("past 64 bits") << QByteArray("99999999999999999999") << qint64(0);
    }
    void keptValues() {
        QFETCH(QByteArray, value);
        QFETCH(qint64, msecs);
        QFile file(dir_.filePath(u"Tolvane.ini"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[カメラの時計]\nMaker|X|=" + value + "\nmaker|x|=7\n");
        file.close();
        // The key in another letter case is the same key; the first counts.
        QCOMPARE(StoredClockOffsets::read().msecsFor(Camera{"MAKER", "x", {}}), msecs);
    }

    // What the dialog's boxes hold: an offset, or the first box that is not
    // a number in its range.
    void typedOffsets_data() {
        QTest::addColumn<bool>("negative");
        QTest::addColumn<QStringList>("boxes");  // days, hours, minutes, seconds
        QTest::addColumn<qint64>("msecs");
        QTest::addColumn<int>("wrongBox");  // -1: none
        QTest::newRow("an hour") << false << QStringList{"", "1", "", ""} << qint64(3600000) << -1;
        QTest::newRow("every box, backwards")
            << true << QStringList{"1", "2", "3", "4"} << qint64(-93784000) << -1;
        QTest::newRow("the most") << false << QStringList{"9999", "23", "59", "59"}
                                  << qint64(863999999000) << -1;
        QTest::newRow("full-width digits, as an input method gives them")
            << false << QStringList{"１０", "０", "", "５"} << qint64(864005000) << -1;
        QTest::newRow("all empty: no offset")
            << true << QStringList{"", "", "", ""} << qint64(0) << -1;
        QTest::newRow("a letter") << false << QStringList{"1a", "", "", ""} << qint64(0) << 0;
        QTest::newRow("a sign in a box")
            << false << QStringList{"", "-1", "", ""} << qint64(0) << 1;
        QTest::newRow("a fraction") << false << QStringList{"", "", "1.5", ""} << qint64(0) << 2;
        QTest::newRow("hour 24") << false << QStringList{"", "24", "", ""} << qint64(0) << 1;
        QTest::newRow("second 60, full-width")
            << false << QStringList{"", "", "", "６０"} << qint64(0) << 3;
        QTest::newRow("10000 days") << false << QStringList{"10000", "", "", ""} << qint64(0) << 0;
        QTest::newRow("another script's digits")
            << false << QStringList{"٣", "", "", ""} << qint64(0) << 0;
        QTest::newRow("the first wrong box is named")
            << false << QStringList{"1", "x", "y", ""} << qint64(0) << 1;
    }
    void typedOffsets() {
        QFETCH(bool, negative);
        QFETCH(QStringList, boxes);
        QFETCH(qint64, msecs);
        QFETCH(int, wrongBox);
        const std::variant<qint64, OffsetField> got =
            clockOffsetFrom({negative, boxes[0], boxes[1], boxes[2], boxes[3]});
        if (wrongBox >= 0) {
            QCOMPARE(std::get<OffsetField>(got), OffsetField(wrongBox));
            return;
        }
        QCOMPARE(std::get<qint64>(got), msecs);
        // Shown again in the boxes, the offset reads back the same.
        QCOMPARE(std::get<qint64>(clockOffsetFrom(clockOffsetText(msecs))), msecs);
    }
};

QTEST_GUILESS_MAIN(TestCameraClocks)
#include "test_camera_clocks.moc"
