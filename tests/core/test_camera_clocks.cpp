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

// "A 100": a file of camera A (the empty camera: "-") taken at 100 s, by
// its Exif; "- 100 file": a file time; "A ?": no time could be read.
std::vector<ListedFile> filesFrom(const QStringList& specs) {
    std::vector<ListedFile> files;
    for (const QString& spec : specs) {
        const QStringList parts = spec.split(u' ');
        ListedFile file;
        file.name = parts[0].toLatin1() + QByteArray::number(files.size());
        if (parts[1] != u"?") {
            file.time.localMsecs = parts[1].toLongLong() * 1000;
            file.time.source = parts.size() > 2 ? TimeSource::FileModified : TimeSource::Exif;
            if (parts[0] != u"-")
                file.time.camera = Camera{"Maker", parts[0].toLatin1(), {}};
        }
        files.push_back(file);
    }
    return files;
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
        QTest::newRow("quotes") << QByteArrayList{"\"Maker\"", "X", ""}
                                << QByteArrayList{"Maker", "X", ""};
        QTest::newRow("line break")
            << QByteArrayList{"Maker\r\n[Data]", "X", ""} << QByteArrayList{"Maker", "X", ""};
        QTest::newRow("make and model swapped")
            << QByteArrayList{"", "X", "1"} << QByteArrayList{"X", "", "1"};
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
        const QByteArray bytes = settingsBytes();
        const QByteArrayList lines = bytes.mid(bytes.indexOf("[カメラの時計]")).split('\n');
        QCOMPARE(lines.size(), 4);  // the header, two keys, the end
        for (const QByteArray& line : lines.mid(1, 2)) {
            for (const char c : line)
                QVERIFY2(c >= ' ' && c <= '~', line.constData());
        }
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
        QTest::newRow("signed") << QByteArray("+60") << qint64(60000);
        QTest::newRow("backwards") << QByteArray("-86399") << qint64(-86399000);
        QTest::newRow("the most days") << QByteArray("863999999") << qint64(863999999000);
        QTest::newRow("beyond the dialog's reach") << QByteArray("864000000") << qint64(0);
        QTest::newRow("not a number") << QByteArray("abc") << qint64(0);
        QTest::newRow("a fraction") << QByteArray("1.5") << qint64(0);
        QTest::newRow("exponent") << QByteArray("1e3") << qint64(0);
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

    // The clocks among the listed files, and each file corrected by its own.
    void groupsAndOffsets_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("groups");  // camera (model), count, first, last
        QTest::newRow("two cameras, runs interleaved")
            << QStringList{"B 300", "A 100", "A 50", "B 200", "A 400"}
            << QStringList{"A 3 50 400", "B 2 200 300"};
        QTest::newRow("file times and Exif without a camera: one group, last")
            << QStringList{"- 10 file", "A 500", "- 20"} << QStringList{"A 1 500 500", "- 2 10 20"};
        QTest::newRow("a file without a time belongs nowhere")
            << QStringList{"A ?", "A 5", "- ?"} << QStringList{"A 1 5 5"};
        QTest::newRow("equal first times: by name")
            << QStringList{"Z 5", "Y 5"} << QStringList{"Y 1 5 5", "Z 1 5 5"};
        QTest::newRow("nothing timed") << QStringList{"A ?"} << QStringList{};
    }
    void groupsAndOffsets() {
        QFETCH(QStringList, files);
        QFETCH(QStringList, groups);
        std::vector<ListedFile> listed = filesFrom(files);
        std::vector<ClockGroup> found = clockGroups(listed);
        QStringList described;
        for (const ClockGroup& group : found) {
            described << QStringLiteral("%1 %2 %3 %4")
                             .arg(group.camera.isKnown() ? QString::fromLatin1(group.camera.model)
                                                         : u"-"_s)
                             .arg(group.fileCount)
                             .arg(group.firstMsecs / 1000)
                             .arg(group.lastMsecs / 1000);
        }
        QCOMPARE(described, groups);
        // Group k is corrected by k+1 hours; every file follows its group.
        for (size_t k = 0; k < found.size(); ++k)
            found[k].offsetMsecs = qint64(k + 1) * 3600000;
        applyClockOffsets(listed, found);
        for (const ListedFile& file : listed) {
            const auto group = std::find_if(found.begin(), found.end(), [&](const ClockGroup& g) {
                return g.camera == file.time.camera;
            });
            const qint64 expected =
                file.time.isKnown() ? qint64(group - found.begin() + 1) * 3600000 : 0;
            QCOMPARE(file.time.clockOffsetMsecs, expected);
        }
        // The offsets the dialog shows again are those the files have.
        const std::vector<ClockGroup> again = clockGroups(listed);
        QCOMPARE(again.size(), found.size());
        for (size_t k = 0; k < found.size(); ++k)
            QCOMPARE(again[k].offsetMsecs, found[k].offsetMsecs);
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
        QTest::newRow("spaces around")
            << false << QStringList{" 5 ", "", "", ""} << qint64(432000000) << -1;
        QTest::newRow("all empty: no offset")
            << true << QStringList{"", "", "", ""} << qint64(0) << -1;
        QTest::newRow("a letter") << false << QStringList{"1a", "", "", ""} << qint64(0) << 0;
        QTest::newRow("a sign in a box")
            << false << QStringList{"", "-1", "", ""} << qint64(0) << 1;
        QTest::newRow("a fraction") << false << QStringList{"", "", "1.5", ""} << qint64(0) << 2;
        QTest::newRow("hour 24") << false << QStringList{"", "24", "", ""} << qint64(0) << 1;
        QTest::newRow("minute 60") << false << QStringList{"", "", "60", ""} << qint64(0) << 2;
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
