#include <QtTest>

#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>

#include "Doubles.h"
#include "Inventory.h"
#include "Modal.h"
#include "WindowDriver.h"
#include "core/settings/IniText.h"
#include "core/settings/Settings.h"
#include "ui/startup/Startup.h"
#include "ui/windows/ExtensionListDialog.h"

// Settings files in every bad shape a desktop leaves behind: the program
// starts, shows its window and renames as ever, and at shutdown nothing that
// the file held besides the program's own two keys is lost.

namespace {

enum class Form { File, ReadOnlyFile, Folder };

const QByteArray kExtensionsUtf8 = "拡張子";
const QByteArray kPathUtf8 = "パス";
const QByteArray kExtensionsCp932 = "\x8a\x67\x92\xa3\x8e\x71";
const QByteArray kPathCp932 = "\x83\x70\x83\x58";

// Whether the line sets one of the program's own keys, or opens its section.
bool isOwnLine(const QByteArray& line) {
    const QByteArray trimmed = line.trimmed();
    if (trimmed == "[Data]")
        return true;
    const QByteArray key = trimmed.left(trimmed.indexOf('=')).trimmed();
    return trimmed.contains('=') && (key == kExtensionsUtf8 || key == kPathUtf8 ||
                                     key == kExtensionsCp932 || key == kPathCp932);
}

// Every byte of the file but the program's own lines and the line breaks.
QByteArray othersBytes(const QByteArray& file) {
    QByteArray bytes;
    QByteArray normalized = file;
    normalized.replace('\r', '\n');
    for (const QByteArray& line : normalized.split('\n')) {
        if (!isOwnLine(line))
            bytes += line;
    }
    return bytes;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

Q_DECLARE_METATYPE(Form)

class TestBadSettings : public QObject {
    Q_OBJECT
    QTemporaryDir appDir_;
    QTemporaryDir startDir_;
    QTemporaryDir photos_;  // the folder the good part of a file points at
    QString oldCurrent_;

    QString settingsPath() const { return appDir_.filePath(QStringLiteral("Tolvane.ini")); }

private slots:
    void initTestCase() {
        oldCurrent_ = QDir::currentPath();
        QDir::setCurrent(startDir_.path());
        writeWhole(QFile::encodeName(photos_.filePath(QStringLiteral("p1.jpg"))), "p1");
    }
    void cleanupTestCase() {
        QDir::setCurrent(oldCurrent_);
        setApplicationFolderForTesting(QString());
    }
    void init() {
        const QString path = settingsPath();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(path);
        QDir(path).removeRecursively();
        setApplicationFolderForTesting(appDir_.path());
    }

    void startsAndKeepsWorking_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<Form>("form");
        QTest::addColumn<bool>("firstRun");     // the extension list dialog opens
        QTest::addColumn<bool>("opensStored");  // the stored folder opens, else the start folder
        QTest::addColumn<bool>("storesPath");   // the folder at shutdown is stored

        const QByteArray photos = QFile::encodeName(photos_.path());
        const QByteArray good = "[Data]\n" + kExtensionsUtf8 + "=*.jpg\n" + kPathUtf8 + '=' +
                                photos + "\n[Other]\nname=value\n; a comment\n";
        QByteArray garbage(4096, '\0');
        QRandomGenerator random(4096);
        for (char& c : garbage)
            c = char(random.bounded(256));
        QByteArray big = good + "[Big]\n";
        for (int k = 0; big.size() < 10 * 1024 * 1024; ++k)
            big +=
                "key" + QByteArray::number(k) + '=' + QByteArray(10000, char('a' + k % 26)) + '\n';

        QTest::newRow("empty") << QByteArray() << Form::File << true << false << true;
        QTest::newRow("binary garbage") << garbage << Form::File << true << false << false;
        QTest::newRow("10 MB") << big << Form::File << false << true << true;
        QTest::newRow("neither UTF-8 nor code page 932")
            << "[Data]\n" + kExtensionsCp932 + "=*.jpg\n" + kPathCp932 + '=' + photos +
                   "\nmemo=\x80\xa0\xfd\xfe\xff\n[\xff\xfe]\n\x81=\xfc\x40\n"
            << Form::File << false << true << true;
        QTest::newRow("missing section") << QByteArray("[Other]\nname=value\n; a comment\n")
                                         << Form::File << true << false << true;
        QTest::newRow("duplicated keys")
            << good.left(good.indexOf("[Other]")) + kPathUtf8 + "=/\n" + kExtensionsUtf8 +
                   "=*.png\n[Other]\nname=other\n[Data]\n" + kPathUtf8 + "=/tmp\n"
            << Form::File << false << true << true;
        QTest::newRow("stored folder is a file")
            << "[Data]\n" + kExtensionsUtf8 + "=*.jpg\n" + kPathUtf8 + '=' + photos + "/p1.jpg\n"
            << Form::File << false << false << true;
        QTest::newRow("stored folder of 5000 characters")
            << "[Data]\n" + kExtensionsUtf8 + "=*.jpg\n" + kPathUtf8 + "=/" +
                   QByteArray(4999, 'x') + "\n"
            << Form::File << false << false << true;
        QTest::newRow("read-only file") << good << Form::ReadOnlyFile << false << true << false;
        QTest::newRow("read-only file, no extensions")
            << QByteArray("[Other]\nname=value\n") << Form::ReadOnlyFile << true << false << false;
        QTest::newRow("a folder in its place")
            << QByteArray() << Form::Folder << true << false << false;
    }

    void startsAndKeepsWorking() {
        QFETCH(QByteArray, settings);
        QFETCH(Form, form);
        QFETCH(bool, firstRun);
        QFETCH(bool, opensStored);
        QFETCH(bool, storesPath);
        if (form == Form::Folder) {
            QVERIFY(QDir().mkpath(settingsPath()));
        } else {
            writeWhole(QFile::encodeName(settingsPath()), settings);
            if (form == Form::ReadOnlyFile)
                QVERIFY(QFile::setPermissions(settingsPath(), QFile::ReadOwner | QFile::ReadGroup));
        }

        QTemporaryDir work;
        const QByteArray root = QFile::encodeName(work.path()) + '/';
        const std::vector<Photo> photos{{"first", "a.jpg", "ok-1.jpg"},
                                        {"second", "b.jpg", "ok-2.jpg"}};
        writePhotos(root, photos);

        ScriptedMessageBox boxes;
        bool sawFirstRun = false;
        if (firstRun) {
            whenModalAppears([&](QWidget* modal) {
                if (auto* dialog = qobject_cast<ExtensionListDialog*>(modal)) {
                    sawFirstRun = true;
                    findButton(*dialog, QStringLiteral("メインへ"))
                        ->click();  // takes the offered "*.jpg"
                } else {
                    modal->close();
                }
            });
        }
        {
            MainWindow w;
            MainWindowDriver d(w);
            startUp(w);
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            QCOMPARE(sawFirstRun, firstRun);
            QCOMPARE(d.folders()->path(), opensStored ? photos_.path() : startDir_.path());

            // It renames as ever.
            QCOMPARE(w.openFolder(work.path()), FolderAccess::Opened);
            d.prefix()->setText(QStringLiteral("ok-"));
            d.convert();
            QCOMPARE(boxes.shown.size(), 1);  // the question, and no failure
            VERIFY_ACCOUNTED_FOR(inventory(root), photos);
            QCOMPARE(movedCount(inventory(root), photos), 2);
            w.close();
        }

        if (form == Form::Folder) {
            QVERIFY(QFileInfo(settingsPath()).isDir());
            return;
        }
        const QByteArray after = readFile(settingsPath());
        if (form == Form::ReadOnlyFile)
            QCOMPARE(after, settings);
        QCOMPARE(othersBytes(after), othersBytes(settings));
        if (storesPath)
            QCOMPARE(readSetting(Setting::LastFolder), work.path());
    }

    // A removal that the reader would not see done is refused, not reported
    // as made: the section line below is broken by stray carriage returns,
    // which the reader skips and the editor's line scan does not.
    void removalTheReaderWouldNotSeeIsRefused() {
        const QByteArray file = "[\r\r\rData]\r" + kPathUtf8 + "=/photos\n";
        QCOMPARE(iniValue(file, QStringLiteral("Data"), QStringLiteral("パス")),
                 QStringLiteral("/photos"));
        QCOMPARE(iniWithValue(file, QStringLiteral("Data"), QStringLiteral("パス"), QString()),
                 std::nullopt);
        writeWhole(QFile::encodeName(settingsPath()), file);
        QVERIFY(!writeSetting(Setting::LastFolder, QString()));
        QCOMPARE(readFile(settingsPath()), file);
    }
};

QTEST_MAIN(TestBadSettings)
#include "test_bad_settings.moc"
