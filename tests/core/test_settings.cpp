#include <QtTest>

#include "core/settings/IniText.h"
#include "core/settings/InstallLayout.h"
#include "core/settings/Settings.h"

// The settings file, through readSetting and writeSetting, on real files in a
// temporary application folder.

using namespace Qt::StringLiterals;

namespace {

const QString kData = QStringLiteral("Data");
const QString kExt = QStringLiteral("拡張子");
const QString kPath = QStringLiteral("パス");

const QByteArray kEol = "\n";

// "拡張子", "パス" and "写真" in code page 932, as a Japanese Windows stores them.
const QByteArray kExtCp932 = "\x8a\x67\x92\xa3\x8e\x71";
const QByteArray kPathCp932 = "\x83\x70\x83\x58";
const QByteArray kPhotoCp932 = "\x8e\xca\x90\x5e";

// A file the way a user may have kept it: CRLF, comments, spacing, other
// sections, and a last line with no line break.
const QByteArray kKept =
    "; settings of Tolvane\r\n"
    "\r\n"
    "[Other]\r\n"
    "a = 1\r\n"
    "\r\n"
    "[Data]\r\n" +
    QByteArray("拡張子 = *.jpg;*.png\r\n") + "; the folder last shown\r\n" +
    QByteArray("パス=/home/user\r\n") +
    "\r\n"
    "[More]\r\n"
    "b=2\r\n"
    "; trailing comment";

bool isSubsequence(const QByteArray& part, const QByteArray& whole) {
    qsizetype at = 0;
    for (const char c : whole) {
        if (at < part.size() && part[at] == c)
            ++at;
    }
    return at == part.size();
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file() const { return m_dir.path() + QStringLiteral("/Tolvane.ini"); }
    void put(const QByteArray& bytes) {
        QFile f(file());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray bytes() const {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }
    void init() {
        setApplicationFolderForTesting(m_dir.path());
        setFolderWritableCheckForTesting({});
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }
    void cleanupTestCase() {
        setApplicationFolderForTesting(QString());
        setFolderWritableCheckForTesting({});
    }

    // Values read back whole and unchanged, however long.
    void roundTrip_data() {
        QTest::addColumn<QString>("value");
        QString patterns;
        for (int i = 0; patterns.toUtf8().size() < 2000; ++i)
            patterns += QStringLiteral("*.e%1;").arg(i, 4, 10, QLatin1Char('0'));
        patterns.chop(1);
        QTest::newRow("root folder") << QStringLiteral("/");
        QTest::newRow("two patterns") << QStringLiteral("*.jpg;*.png");
        QTest::newRow("japanese folder") << QStringLiteral("/home/利用者/写真 ２０２６");
        QTest::newRow("2000-byte pattern list") << patterns;
        QTest::newRow("5000 characters") << QString(5000, QChar(u'写'));
        QTest::newRow("surrounding blanks") << QStringLiteral(" /tmp/a b ");
        QTest::newRow("quoted") << QStringLiteral("\"/tmp/q\"");
        QTest::newRow("empty") << QString(QLatin1String(""));
    }
    void roundTrip() {
        QFETCH(QString, value);
        QVERIFY(writeSetting(Setting::LastFolder, QStringLiteral("/an/older/value")));
        QVERIFY(writeSetting(Setting::LastFolder, value));
        QCOMPARE(readSetting(Setting::LastFolder), value);
        QCOMPARE(readSetting(Setting::Extensions), QString());
    }

    void missingReadsEmpty_data() {
        QTest::addColumn<QByteArray>("content");  // null: no file at all
        QTest::newRow("no file") << QByteArray();
        QTest::newRow("empty file") << QByteArray("");
        QTest::newRow("other section") << QByteArray("[Other]\nパス=/x\n");
        QTest::newRow("no such key") << QByteArray("[Data]\nx=1\n");
        QTest::newRow("empty value") << QByteArray("[Data]\nパス=\n拡張子=   \n");
        QTest::newRow("before any section") << QByteArray("パス=/x\n[Data]\n");
        QTest::newRow("unclosed section") << QByteArray("[Data\nパス=/x\n");
    }
    void missingReadsEmpty() {
        QFETCH(QByteArray, content);
        if (!content.isNull())
            put(content);
        QCOMPARE(readSetting(Setting::LastFolder), QString());
        QCOMPARE(readSetting(Setting::Extensions), QString());
    }

    void applicationFolderEndsInOneSlash_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("expected");
        QTest::newRow("root") << u"/"_s << u"/"_s;
        QTest::newRow("plain") << u"/opt/tolvane"_s << u"/opt/tolvane/"_s;
        QTest::newRow("trailing separators") << u"/opt/tolvane//"_s << u"/opt/tolvane/"_s;
    }
    void applicationFolderEndsInOneSlash() {
        QFETCH(QString, folder);
        QFETCH(QString, expected);
        setApplicationFolderForTesting(folder);
        setFolderWritableCheckForTesting([](const QString&) { return true; });
        QCOMPARE(applicationFolder(), expected);
        QCOMPARE(settingsFilePath(), expected + u"Tolvane.ini"_s);
    }

    // Where the settings go for each way the program can lie on disk: a
    // prefix holding bin/ and share/tolvane/, real folders, bin/ writable.
    void settingsFollowTheLayout_data() {
        QTest::addColumn<bool>("documentBeside");
        QTest::addColumn<bool>("documentInstalled");
        QTest::addColumn<bool>("binWritable");
        QTest::addColumn<bool>("inConfig");
        QTest::newRow("build tree or portable") << true << false << true << false;
        QTest::newRow("portable, read-only") << true << false << false << true;
        QTest::newRow("installed") << false << true << true << true;
        QTest::newRow("installed, a copy beside") << true << true << true << false;
        QTest::newRow("bare program") << false << false << true << false;
    }
    void settingsFollowTheLayout() {
        QFETCH(bool, documentBeside);
        QFETCH(bool, documentInstalled);
        QFETCH(bool, binWritable);
        QFETCH(bool, inConfig);
        const QString bin = m_dir.path() + u"/usr/bin"_s;
        const QString data = m_dir.path() + u"/usr/share/tolvane"_s;
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(data));
        if (documentBeside)
            QVERIFY(QFile(bin + u"/readme.html"_s).open(QIODevice::WriteOnly));
        if (documentInstalled)
            QVERIFY(QFile(data + u"/readme.html"_s).open(QIODevice::WriteOnly));
        setApplicationFolderForTesting(bin);
        setFolderWritableCheckForTesting([binWritable](const QString&) { return binWritable; });

        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QCOMPARE(settingsFilePath(), (inConfig ? config : bin) + u"/Tolvane.ini"_s);
        QCOMPARE(shippedFilePath(bin + u'/', u"readme.html"_s),
                 (documentInstalled && !documentBeside ? data : bin) + u"/readme.html"_s);
    }

    void readOnlyFolderUsesConfigLocation() {
        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        QDir(config).removeRecursively();
        setFolderWritableCheckForTesting([](const QString&) { return false; });
        QVERIFY(writeSetting(Setting::Extensions, u"*.jpg"_s));
        QCOMPARE(readSetting(Setting::Extensions), u"*.jpg"_s);
        QVERIFY(QFile::exists(config + u"/Tolvane.ini"_s));
        QVERIFY(!QFile::exists(file()));
        QDir(config).removeRecursively();
    }

    // Only the key's own line changes; everything else stays byte for byte.
    void editKeepsRestOfFile_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("expected");
        QByteArray deleted = kKept;
        deleted.replace("パス=/home/user\r\n", "");
        QByteArray replaced = kKept;
        replaced.replace("パス=/home/user", "パス=/");
        QByteArray respaced = kKept;
        respaced.replace("拡張子 = *.jpg;*.png", "拡張子=*.gif");
        QByteArray added = kKept;
        added.replace("パス=/home/user\r\n", "パス=/home/user\r\nMode=1\r\n");
        QTest::newRow("delete") << kPath << QString() << deleted;
        QTest::newRow("replace") << kPath << u"/"_s << replaced;
        QTest::newRow("replace spaced") << kExt << u"*.gif"_s << respaced;
        QTest::newRow("add to section") << u"Mode"_s << u"1"_s << added;
        QTest::newRow("delete missing") << u"Mode"_s << QString() << kKept;
    }
    void editKeepsRestOfFile() {
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, expected);
        put(kKept);
        // The edit itself, for any key of the section; then through the
        // settings file for the program's own keys.
        QCOMPARE(iniWithValue(kKept, kData, key, value), std::optional<QByteArray>(expected));
        if (key != kExt && key != kPath)
            return;
        const Setting setting = key == kExt ? Setting::Extensions : Setting::LastFolder;
        QVERIFY(writeSetting(setting, value));
        QCOMPARE(bytes(), expected);
        QCOMPARE(readSetting(setting), value);
    }

    void newFileIsUtf8() {
        QVERIFY(writeSetting(Setting::Extensions, u"*.jpg"_s));
        QVERIFY(writeSetting(Setting::LastFolder, u"/写真"_s));
        QCOMPARE(bytes(), "[Data]" + kEol + "拡張子=*.jpg" + kEol + "パス=/写真" + kEol);
        QVERIFY(writeSetting(Setting::Extensions, QString()));
        QCOMPARE(bytes(), "[Data]" + kEol + "パス=/写真" + kEol);
    }

    void codePage932FileStaysSo() {
        put("[Data]\r\n" + kExtCp932 + "=*.jpg\r\n");
        QCOMPARE(readSetting(Setting::Extensions), u"*.jpg"_s);
        QVERIFY(writeSetting(Setting::Extensions, u"*.jpg;*.png"_s));
        QVERIFY(writeSetting(Setting::LastFolder, u"/写真"_s));
        const QByteArray expected = "[Data]\r\n" + kExtCp932 + "=*.jpg;*.png\r\n" + kPathCp932 +
                                    "=/" + kPhotoCp932 + "\r\n";
        QCOMPARE(bytes(), expected);
        QCOMPARE(readSetting(Setting::LastFolder), u"/写真"_s);
        // A character the code page lacks is not turned into a wrong one.
        QVERIFY(!writeSetting(Setting::LastFolder, u"/写真📷"_s));
        QCOMPARE(bytes(), expected);
    }

    // Odd files: reading never crashes, and a write keeps every byte that was there.
    void oddFiles_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("path");
        QByteArray garbage(64 * 1024, '\0');
        QRandomGenerator random(7);
        for (char& c : garbage)
            c = char(random.bounded(256));
        QByteArray big = "[Big]\n";
        for (int i = 0; big.size() < 10 * 1024 * 1024; ++i)
            big += "key" + QByteArray::number(i) + "=value " + QByteArray::number(i) + "\n";
        big += "[Data]\nパス=/far\n";
        QTest::newRow("empty") << QByteArray("") << QString();
        QTest::newRow("binary garbage") << garbage << QString();
        QTest::newRow("10 MB") << big << u"/far"_s;
        QTest::newRow("neither UTF-8 nor cp932")
            << "[Data]\r\n\xff\xfe\xfd\r\n" + kPathCp932 + "=/home\r\n\x80=\xa0\r\n"
            << u"/home"_s;
        QTest::newRow("duplicated key")
            << QByteArray("[Data]\nパス=/first\nパス=/second\n") << u"/first"_s;
        QTest::newRow("NUL inside")
            << QByteArray("[Data]\nパス=/a\n") + '\0' + "[Data]\n拡張子=*.x\n"
            << u"/a"_s;
    }
    void oddFiles() {
        QFETCH(QByteArray, content);
        QFETCH(QString, path);
        put(content);
        QCOMPARE(readSetting(Setting::LastFolder), path);
        QVERIFY(writeSetting(Setting::Extensions, u"*.tif"_s));
        QCOMPARE(readSetting(Setting::Extensions), u"*.tif"_s);
        QCOMPARE(readSetting(Setting::LastFolder), path);
        QVERIFY(isSubsequence(content, bytes()));
    }

    void deleteRemovesEveryDuplicate() {
        put("[Data]\nパス=/first\nx=1\n[Data]\nパス=/second\n");
        QVERIFY(writeSetting(Setting::LastFolder, QString()));
        QCOMPARE(readSetting(Setting::LastFolder), QString());
        QCOMPARE(bytes(), QByteArray("[Data]\nx=1\n[Data]\n"));
    }

    void refusedWritesChangeNothing_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("read-only file") << u"/new"_s << true;
        QTest::newRow("forged line") << u"/a\n[Data]\n拡張子=*.exe"_s << false;
        QTest::newRow("forged by CR") << u"/a\r拡張子=*.exe"_s << false;
    }
    void refusedWritesChangeNothing() {
        QFETCH(QString, value);
        QFETCH(bool, readOnly);
        put(kKept);
        if (readOnly)
            QVERIFY(QFile::setPermissions(file(), QFile::ReadOwner | QFile::ReadGroup));
        QVERIFY(!writeSetting(Setting::LastFolder, value));
        QCOMPARE(bytes(), kKept);
        QCOMPARE(readSetting(Setting::Extensions), u"*.jpg;*.png"_s);
    }

    void writeKeepsPermissionsAndLeavesNoTemporary() {
        put(kKept);
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(file(), permissions));
        QVERIFY(writeSetting(Setting::LastFolder, u"/"_s));
        QCOMPARE(QFile::permissions(file()) & 0x7077, permissions);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"Tolvane.ini"_s});
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
