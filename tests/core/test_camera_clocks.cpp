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
        const auto row = [](const char* name, const QByteArrayList& camera,
                            const QByteArrayList& other) {
            QTest::newRow(name) << camera << other;
        };
        row("= in the model", {"Maker", "EOS=5", ""}, {"Maker", "EOS", ""});
        row("; at the start", {";Maker", "X", ""}, {"Maker", "X", ""});
        row("# at the start", {"#1", "X", ""}, {"1", "X", ""});
        row("[ at the start", {"[Data]", "X", ""}, {"Data", "X", ""});
        row("] inside", {"Maker", "X]", "1"}, {"Maker", "X", "1"});
        row("leading space", {" Maker", "X", ""}, {"Maker", "X", ""});
        row("trailing space", {"Maker", "X", "123 "}, {"Maker", "X", "123"});
        row("non-ASCII", {"写真機", "二号", ""}, {"写真機", "一号", ""});
        row("Shift-JIS bytes", {"\x8e\xca", "X", ""}, {"\x8e\xcb", "X", ""});
        row("| between the parts", {"A|B", "C", ""}, {"A", "B|C", ""});
        row("% as if encoded", {"100%25", "X", ""}, {"100%", "X", ""});
        row("line break", {"Maker\r\n[Data]", "X", ""}, {"Maker", "X", ""});
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
        // A row of wrongBox >= 0 has no offset.
        const auto row = [](const char* name, bool negative, const QStringList& boxes, qint64 msecs,
                            int wrongBox = -1) {
            QTest::newRow(name) << negative << boxes << msecs << wrongBox;
        };
        row("an hour", false, {"", "1", "", ""}, 3600000);
        row("every box, backwards", true, {"1", "2", "3", "4"}, -93784000);
        row("the most", false, {"9999", "23", "59", "59"}, 863999999000);
        row("full-width digits, as an input method gives them", false, {"１０", "０", "", "５"},
            864005000);
        row("all empty: no offset", true, {"", "", "", ""}, 0);
        row("a letter", false, {"1a", "", "", ""}, 0, 0);
        row("a sign in a box", false, {"", "-1", "", ""}, 0, 1);
        row("a fraction", false, {"", "", "1.5", ""}, 0, 2);
        row("hour 24", false, {"", "24", "", ""}, 0, 1);
        row("second 60, full-width", false, {"", "", "", "６０"}, 0, 3);
        row("10000 days", false, {"10000", "", "", ""}, 0, 0);
        row("another script's digits", false, {"٣", "", "", ""}, 0, 0);
        row("the first wrong box is named", false, {"1", "x", "y", ""}, 0, 1);
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
