#include <QtTest>

#include <filesystem>

#include "Inventory.h"
#include "core/rename/Preview.h"
#include "core/text/NativeName.h"

// What the question before a rename shows in its details: every entry's old
// and new name, from the very plan the run renames by, and the lines where
// the run will stop because the new name is taken.

class TestPreview : public QObject {
    Q_OBJECT
    QTemporaryDir root_{QStringLiteral("/dev/shm/preview-XXXXXX")};

    QByteArray folder(const char* name) const {
        const QByteArray path = QFile::encodeName(root_.path()) + '/' + name;
        std::filesystem::create_directories(path.toStdString());
        return path;
    }

    static RenameRequest request(const QByteArray& folder, const QByteArrayList& names,
                                 const QString& prefix) {
        RenameRequest r;
        r.folder = fromNative(folder);
        r.destination = r.folder;
        r.startNumber = QStringLiteral("1");
        r.prefix = prefix;
        for (const QByteArray& name : names)
            r.files.push_back({name, 0, {}});
        return r;
    }

private slots:
    // The preview lines are the names the run gives, from the same plan.
    void previewIsWhatTheRunGives_data() {
        QTest::addColumn<bool>("ownName");
        QTest::addColumn<bool>("destination");
        QTest::addColumn<QByteArrayList>("entries");
        QTest::newRow("serial") << false << false << QByteArrayList{"b.JPG", "a.jpg", "c.d.gif"};
        QTest::newRow("own name") << true << false << QByteArrayList{"a.jpg", "README"};
        QTest::newRow("destination, dotless") << false << true << QByteArrayList{"x", "y.png"};
    }
    void previewIsWhatTheRunGives() {
        QFETCH(bool, ownName);
        QFETCH(bool, destination);
        QFETCH(QByteArrayList, entries);
        const QByteArray source = folder("preview-src");
        const QByteArray target = destination ? folder("preview-dst") : source;
        for (const QByteArray& entry : entries)
            writeWhole(source + '/' + entry, entry);
        RenameRequest r = request(source, entries, QStringLiteral("旅"));
        r.ownName = ownName;
        r.moveToDestination = destination;
        r.destination = fromNative(target);
        PosixFileSystem fs;
        const RenamePlan plan = RenamePlan::make(r, fs);
        const QStringList lines = previewText(plan).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(renamedCount(renameAll(plan, fs)), entries.size());
        QStringList given;
        for (int k = 0; k < entries.size(); ++k) {
            const QByteArray newName = plan.newName(k).toByteArray();
            QVERIFY(QFile::exists(QFile::decodeName(target + '/' + newName)));
            given << QString::fromUtf8(entries[k]) + " → " + QString::fromUtf8(newName);
        }
        QCOMPARE(lines, given);
        std::filesystem::remove_all(source.toStdString());
        std::filesystem::remove_all(target.toStdString());
    }

    void takenNames_data() {
        QTest::addColumn<QByteArrayList>("present");  // in the target folder
        QTest::addColumn<QByteArrayList>("entries");
        QTest::addColumn<bool>("ignoresCase");
        QTest::addColumn<QList<int>>("taken");
        QTest::newRow("a file off the list holds a new name")
            << QByteArrayList{"1.jpg", "a.jpg", "b.jpg"} << QByteArrayList{"a.jpg", "b.jpg"}
            << false << QList<int>{0};
        QTest::newRow("renamed away before its name is wanted")
            << QByteArrayList{"2.jpg", "x.jpg"} << QByteArrayList{"2.jpg", "x.jpg"} << false
            << QList<int>{};
        QTest::newRow("wanted before it is renamed away")
            << QByteArrayList{"a.jpg", "1.jpg"} << QByteArrayList{"a.jpg", "1.jpg"} << false
            << QList<int>{0};
        QTest::newRow("already so named")
            << QByteArrayList{"1.jpg"} << QByteArrayList{"1.jpg"} << false << QList<int>{};
        QTest::newRow("other case, told apart")
            << QByteArrayList{"1.JPG", "a.jpg"} << QByteArrayList{"a.jpg"} << false << QList<int>{};
        QTest::newRow("other case on a card")
            << QByteArrayList{"1.JPG", "a.jpg"} << QByteArrayList{"a.jpg"} << true << QList<int>{0};
    }
    void takenNames() {
        QFETCH(QByteArrayList, present);
        QFETCH(QByteArrayList, entries);
        QFETCH(bool, ignoresCase);
        QFETCH(QList<int>, taken);
        RenameRequest r;
        r.folder = r.destination = QStringLiteral("/f");
        r.startNumber = QStringLiteral("1");
        for (const QByteArray& entry : entries)
            r.files.push_back({entry, 0, {}});
        PosixFileSystem fs;
        const RenamePlan plan = RenamePlan::make(r, fs);
        const std::vector<int> found = takenNewNames(
            plan, std::vector<QByteArray>(present.begin(), present.end()), ignoresCase);
        QCOMPARE(QList<int>(found.begin(), found.end()), taken);
        const QString text = previewText(plan, found);
        QCOMPARE(text.startsWith(QStringLiteral("同じ名前のファイルがあるため")), !taken.isEmpty());
    }

    // A new name too long for the file system stops the batch before any
    // file moves: its line is marked, and named first.
    void unfitNameIsMarked() {
        RenameRequest r;
        r.folder = r.destination = QStringLiteral("/f");
        r.startNumber = QStringLiteral("1");
        r.ownName = true;
        const QByteArray longName = QByteArray(251, 'a') + ".jpg";
        r.files = {{"b.jpg", 0, {}}, {longName, 0, {}}, {"c.jpg", 0, {}}};
        PosixFileSystem fs;
        const RenamePlan plan = RenamePlan::make(r, fs);
        const QString unfit = QString::fromLatin1(longName) + " → " + QString(251, u'a') + "2.jpg";
        QCOMPARE(previewText(plan, {}).split(u'\n', Qt::SkipEmptyParts),
                 (QStringList{"使えない名前があるため、ファイルは変換しません: " + unfit,
                              "b.jpg → b1.jpg", unfit + "  ← 名前が長すぎます", "c.jpg → c3.jpg"}));
    }
};

QTEST_GUILESS_MAIN(TestPreview)
#include "test_preview.moc"
