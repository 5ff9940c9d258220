#include <QtTest>

#include <QDir>
#include <QFile>
#include <QHash>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/files/FileList.h"
#include "core/settings/Settings.h"

#include "TestFiles.h"

namespace {

// Creates an empty file by its native bytes, which QFile cannot do for a name
// that is not UTF-8.
bool touch(const QTemporaryDir& dir, const QByteArray& name) {
    const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

QByteArrayList names(const FileList& list) {
    QByteArrayList out;
    for (const ListedFile& file : list.files())
        out << file.name;
    return out;
}

// What the tests put in a folder: the program's own files, by name, and a photo.
QByteArrayList programFilesAndAPhoto() {
    const QByteArray program =
        QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8();
    return {
        program,           "readme.html",         "Tolvane.ini", "Tolvane.undo", "Tolvane.undo.new",
        "Tolvane-12.undo", "Tolvane-12.undo.new", "DSC_1.JPG"};
}

QByteArrayList sorted(QByteArrayList list) {
    std::sort(list.begin(), list.end());
    return list;
}

}  // namespace

// The hidden file list on real folders: what the conversion list is built from.
class TestFileList : public QObject {
    Q_OBJECT
private slots:
    void listsOnlyMatchingPlainFiles() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        for (const char* name : {"b10.jpg", "B9.JPG", "b9.jpg", ".a.jpg", "note.txt", "写真2.jpg"})
            QVERIFY(touch(dir, name));
        QVERIFY(QDir(dir.path()).mkdir("x.jpg"));
        QVERIFY(QFile::link(dir.filePath("b10.jpg"), dir.filePath("link.jpg")));
        QVERIFY(QFile::link(dir.filePath("gone"), dir.filePath("dangling.jpg")));

        FileList list;
        list.setPattern("*.jpg");
        list.setPath(dir.path());
        QCOMPARE(list.lastError(), 0);
        QCOMPARE(names(list), (QByteArrayList{"B9.JPG", "b9.jpg", "b10.jpg", "写真2.jpg"}));

        list.setPattern("*.txt;*.JPG");
        QCOMPARE(int(list.files().size()), 5);
        list.setPattern("");
        QCOMPARE(int(list.files().size()), 0);
    }

    void keepsNamesThatAreNotUtf8() {
        ScratchFolder dir;
        const QByteArray shiftJis("\x8e\xca\x90\x5e.jpg");  // 写真 in CP932
        QVERIFY(touch(dir, shiftJis));
        QVERIFY(touch(dir, "a.jpg"));
        FileList list;
        list.setPattern("*.jpg");
        list.setPath(dir.path());
        QCOMPARE(names(list), (QByteArrayList{"a.jpg", shiftJis}));
    }

    void emptyAndVanishedFolders() {
        QTemporaryDir dir;
        FileList list;
        list.setPath(dir.path());
        QCOMPARE(int(list.files().size()), 0);
        QCOMPARE(list.lastError(), 0);

        QVERIFY(touch(dir, "a.jpg"));
        list.refresh();
        QCOMPARE(int(list.files().size()), 1);

        // A vanished folder must not leave the old names for the rename to use.
        QVERIFY(QDir(dir.path()).removeRecursively());
        list.refresh();
        QCOMPARE(int(list.files().size()), 0);
        QCOMPARE(list.lastError(), ENOENT);

        QTemporaryDir other;
        list.setPath(other.path());
        QCOMPARE(list.lastError(), 0);
    }

    // The program's own files are never offered for renaming where they lie,
    // whatever spelling of the folder is listed; files of the same names in
    // any other folder are the user's. With the configuration folder listed,
    // the settings are there (an installed copy); in the state folder lie
    // journals only, known by their names.
    void leavesOutTheProgramsOwnFiles_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QByteArrayList>("listed");
        const QByteArrayList all = programFilesAndAPhoto();
        QTest::newRow("the program's folder") << "program" << QByteArrayList{"DSC_1.JPG"};
        QTest::newRow("through a link") << "link" << QByteArrayList{"DSC_1.JPG"};
        QTest::newRow("another folder") << "other" << all;
        QTest::newRow("configuration folder") << "config" << all.mid(0, 2) + all.mid(7);
        QTest::newRow("state folder: the journals only") << "state" << all.mid(0, 3) + all.mid(7);
    }
    void leavesOutTheProgramsOwnFiles() {
        QFETCH(QString, folder);
        QStandardPaths::setTestModeEnabled(true);
        QTemporaryDir program;
        QTemporaryDir other;
        const QString config = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
        const QString state = journalStateFolder();
        const auto cleanUp = qScopeGuard([&] {
            QDir(config).removeRecursively();
            QDir(state).removeRecursively();
            setApplicationFolderForTesting(QString());
            setFolderWritableCheckForTesting({});
        });
        setApplicationFolderForTesting(program.path());
        setFolderWritableCheckForTesting([folder](const QString&) { return folder != "config"; });
        const QString link = other.filePath(QStringLiteral("link"));
        const QHash<QString, QString> paths{{"program", program.path()},
                                            {"link", link},
                                            {"config", config},
                                            {"state", state},
                                            {"other", other.path()}};
        QVERIFY(QDir().mkpath(config) && QDir().mkpath(state) && QFile::link(program.path(), link));
        for (const QString& where : {program.path(), other.path(), config, state}) {
            for (const QByteArray& name : programFilesAndAPhoto())
                QVERIFY(QFile(where + u'/' + QString::fromUtf8(name)).open(QIODevice::WriteOnly));
        }
        FileList list;
        list.setPattern(QStringLiteral("*"));
        list.setPath(paths.value(folder));
        QFETCH(QByteArrayList, listed);
        QCOMPARE(sorted(names(list)), sorted(listed));
        // Each name keeps its own inode number, which the undo knows it by.
        for (size_t k = 0; k < list.files().size(); ++k) {
            struct stat st;
            const ListedFile& file = list.files()[k];
            const QString path = paths.value(folder) + u'/' + QString::fromUtf8(file.name);
            QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
            QCOMPARE(quint64(st.st_ino), file.inode);
        }
    }

    void signalsOncePerWriteWithTheListFilled() {
        QTemporaryDir first;
        QTemporaryDir second;
        QVERIFY(touch(first, "one.jpg"));
        QVERIFY(touch(second, "two.jpg"));
        QVERIFY(touch(second, "three.png"));

        FileList list;
        QSignalSpy paths(&list, &FileList::pathChanged);
        QSignalSpy patterns(&list, &FileList::patternChanged);
        QByteArrayList seen;
        connect(&list, &FileList::pathChanged, this, [&] { seen = names(list); });
        connect(&list, &FileList::patternChanged, this, [&] { seen = names(list); });

        list.setPath(first.path());
        QCOMPARE(seen, QByteArrayList{"one.jpg"});
        list.setPath(second.path());
        QCOMPARE(seen, (QByteArrayList{"three.png", "two.jpg"}));
        QCOMPARE(paths.count(), 2);
        QCOMPARE(patterns.count(), 0);

        // The same folder again still re-reads and tells its listeners.
        QVERIFY(touch(second, "four.jpg"));
        list.setPath(second.path());
        QCOMPARE(paths.count(), 3);
        QCOMPARE(seen.size(), 3);

        list.setPattern("*.png");
        QCOMPARE(patterns.count(), 1);
        QCOMPARE(paths.count(), 3);
        QCOMPARE(seen, QByteArrayList{"three.png"});

        list.refresh();
        QCOMPARE(paths.count() + patterns.count(), 4);
    }
};

QTEST_GUILESS_MAIN(TestFileList)
#include "test_file_list.moc"
