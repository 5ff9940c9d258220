#include <QtTest>

#include <QProcess>

#include "TestFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {

// "写真" as an old Windows card writes it: Shift-JIS, not valid UTF-8.
const QByteArray kShiftJis("\x8e\xca\x90\x5e");

bool createFile(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Every name in folder, in byte order.
QByteArrayList contents(const QByteArray& folder) {
    QByteArrayList names;
    if (DIR* dir = ::opendir(folder.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..")
                names << name;
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct Run {
    int exitCode = -1;
    QByteArray out;
};

Run run(const QString& program, const QStringList& args) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, args);
    Run result;
    if (!process.waitForFinished(30000))
        return result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    return result;
}

const QString kBench = QStringLiteral(TOLVANE_BENCH_PATH);
const QString kPlain = QStringLiteral(TOLVANE_BENCH_PLAIN_PATH);

}  // namespace

// The benchmark's own commands on real folders. Their output is what the
// suite trusts: the list must be the program's order, and a rename must leave
// the names the rename command would, for both contestants alike.
class TestBenchCommands : public QObject {
    Q_OBJECT
private slots:
    void list_data() {
        QTest::addColumn<QString>("patterns");
        QTest::addColumn<QByteArrayList>("expected");
        const QByteArrayList jpg{"A.jpg",
                                 "a.JPG",
                                 "a007.jpg",
                                 "a07.jpg",
                                 "a7.jpg",
                                 "a10.jpg",
                                 "IMG_2.jpg",
                                 "img_3.JPG",
                                 "IMG_10.jpg",
                                 "IMG_100.jpg",
                                 "n9.jpg",
                                 "n18446744073709551616.jpg",
                                 "n18446744073709551617.jpg",
                                 kShiftJis + "3.jpg",
                                 "写真1.jpg",
                                 "写真2.jpg",
                                 "写真10.jpg"};
        QTest::newRow("one pattern") << QStringLiteral("*.jpg") << jpg;
        QByteArrayList both = jpg;
        both.insert(6, "b.jpeg");
        QTest::newRow("two patterns, upper case") << QStringLiteral("*.JPG;*.jpeg") << both;
        QTest::newRow("a question mark is one character")
            << QStringLiteral("写?*.jpg") << QByteArrayList{"写真1.jpg", "写真2.jpg", "写真10.jpg"};
    }
    void list() {
        QFETCH(QString, patterns);
        QFETCH(QByteArrayList, expected);
        ScratchFolder dir;
        QVERIFY(dir.isValid());
        const QByteArray root = QFile::encodeName(dir.path()) + '/';
        QByteArrayList files{"写真10.jpg", "IMG_100.jpg", "a7.jpg", "img_3.JPG", "a.JPG", "a10.jpg",
                             "写真2.jpg", "a007.jpg", "IMG_2.jpg", "A.jpg", "n9.jpg", "b.jpeg",
                             "a07.jpg", "IMG_10.jpg", "写真1.jpg", "n18446744073709551617.jpg",
                             "n18446744073709551616.jpg", kShiftJis + "3.jpg",
                             // never listed: other kinds, hidden, not a match
                             ".hidden.jpg", "notes.txt", "photo.jpg.bak"};
        for (const QByteArray& name : files)
            QVERIFY2(createFile(root + name), name.constData());
        QVERIFY(::mkdir(root + "album.jpg", 0755) == 0);
        QVERIFY(::symlink("A.jpg", root + "link.jpg") == 0);

        const QByteArray wanted = expected.join('\n') + '\n';
        for (const QString& program : {kBench, kPlain}) {
            const Run listed = run(program, {QStringLiteral("list"), dir.path(), patterns});
            QCOMPARE(listed.exitCode, 0);
            QCOMPARE(listed.out, wanted);
        }
    }

    // The files of one name on one line, its sidecars after them, as the
    // window's rows hold them with 同じ名前のファイルに同じ番号を付ける on.
    void listShots() {
        ScratchFolder dir;
        const QByteArray root = QFile::encodeName(dir.path()) + '/';
        for (const char* name : {"IMG_1.JPG", "IMG_2.xmp", "IMG_1.CR2.xmp", "IMG_9.xmp",
                                 ".IMG_2.xmp", "IMG_2.JPG", "notes.txt", "IMG_1.CR2"})
            QVERIFY2(createFile(root + name), name);
        const Run listed = run(kBench, {QStringLiteral("list"), QStringLiteral("--shots"),
                                        dir.path(), QStringLiteral("*.jpg;*.cr2")});
        QCOMPARE(listed.exitCode, 0);
        QCOMPARE(listed.out,
                 QByteArray("IMG_1.CR2\tIMG_1.JPG\tIMG_1.CR2.xmp\nIMG_2.JPG\tIMG_2.xmp\n"));
    }

    void listOfMissingFolderFails() {
        ScratchFolder dir;
        const Run listed =
            run(kBench, {QStringLiteral("list"), dir.path() + QStringLiteral("/gone"),
                         QStringLiteral("*.jpg")});
        QCOMPARE(listed.exitCode, 1);
        QVERIFY(listed.out.isEmpty());
    }

    void rename_data() {
        QTest::addColumn<QStringList>("args");    // START [PREFIX [SUFFIX]]
        QTest::addColumn<QByteArray>("blocker");  // a folder in the way, or nothing
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("printed");
        QTest::addColumn<QByteArrayList>("after");  // the folder's names afterwards
        const QByteArrayList untouched{"IMG_9.JPG", "IMG_10.jpg", "img_011.jpg",
                                       kShiftJis + "2.jpg", "写真1.jpg"};
        auto with = [](QByteArrayList renamed) {
            return renamed << "b.jpeg"
                           << "notes.txt";
        };
        QTest::newRow("serials only") << QStringList{"1"} << QByteArray() << 0 << QByteArray("0\n")
                                      << with({"1.JPG", "2.jpg", "3.jpg", "4.jpg", "5.jpg"});
        QTest::newRow("typed width, prefix and suffix")
            << QStringList{"0098", "trip_", "_x"} << QByteArray() << 0 << QByteArray("0\n")
            << with({"trip_0098_x.JPG", "trip_0099_x.jpg", "trip_0100_x.jpg", "trip_0101_x.jpg",
                     "trip_0102_x.jpg"});
        QTest::newRow("width of the last serial")
            << QStringList{"8"} << QByteArray() << 0 << QByteArray("0\n")
            << with({"08.JPG", "09.jpg", "10.jpg", "11.jpg", "12.jpg"});
        QTest::newRow("japanese prefix")
            << QStringList{"1", "旅行"} << QByteArray() << 0 << QByteArray("0\n")
            << with({"旅行1.JPG", "旅行2.jpg", "旅行3.jpg", "旅行4.jpg", "旅行5.jpg"});
        QTest::newRow("name taken stops the run")
            << QStringList{"1"} << QByteArray("3.jpg") << 1 << QByteArray("58\n")
            << with({"1.JPG", "2.jpg", "3.jpg", "img_011.jpg", kShiftJis + "2.jpg", "写真1.jpg"});
        // What the command refuses before it would ask prints nothing.
        QTest::newRow("last serial past 32767")
            << QStringList{"32764"} << QByteArray() << 1 << QByteArray() << with(untouched);
        QTest::newRow("start not digits")
            << QStringList{"1a"} << QByteArray() << 1 << QByteArray() << with(untouched);
        QTest::newRow("forbidden character in the prefix")
            << QStringList{"1", "a.b"} << QByteArray() << 1 << QByteArray() << with(untouched);
        QTest::newRow("forbidden character in the suffix")
            << QStringList{"1", "", "x?"} << QByteArray() << 1 << QByteArray() << with(untouched);
    }
    void rename() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, blocker);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, printed);
        QFETCH(QByteArrayList, after);
        std::sort(after.begin(), after.end());

        // One folder for the benchmark, one for the plain program.
        ScratchFolder dirs[2];
        for (ScratchFolder& dir : dirs) {
            QVERIFY(dir.isValid());
            const QByteArray root = QFile::encodeName(dir.path()) + '/';
            for (const QByteArray& name :
                 {QByteArray("写真1.jpg"), QByteArray("img_011.jpg"), QByteArray("IMG_9.JPG"),
                  kShiftJis + "2.jpg", QByteArray("IMG_10.jpg"), QByteArray("b.jpeg"),
                  QByteArray("notes.txt")})
                QVERIFY(createFile(root + name));
            if (!blocker.isEmpty())
                QVERIFY(::mkdir(root + blocker, 0755) == 0);
        }
        const QStringList head{QStringLiteral("rename"), dirs[0].path(), QStringLiteral("*.jpg")};
        const Run renamed = run(kBench, head + args);
        QCOMPARE(renamed.exitCode, exitCode);
        QCOMPARE(renamed.out, printed);
        QCOMPARE(contents(QFile::encodeName(dirs[0].path())), after);

        if (exitCode == 0) {
            const QStringList plainHead{QStringLiteral("rename"), dirs[1].path(),
                                        QStringLiteral("*.jpg")};
            const Run plain = run(kPlain, plainHead + args);
            QCOMPARE(plain.exitCode, 0);
            QCOMPARE(contents(QFile::encodeName(dirs[1].path())), after);
        }
    }
};

QTEST_APPLESS_MAIN(TestBenchCommands)
#include "test_bench_commands.moc"
