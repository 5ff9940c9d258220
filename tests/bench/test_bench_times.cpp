#include <QtTest>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

const QString kTimes = QStringLiteral(TOLVANE_BENCH_TIMES_PATH);
const QString kPlainExif = QStringLiteral(TOLVANE_BENCH_PLAIN_EXIF_PATH);
const QString kMakePhotos = QStringLiteral(TOLVANE_BENCH_MAKE_PHOTOS_PATH);

// The program's output without its timing, or the failure.
QByteArray run(const QString& program, const QStringList& args) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TZ"), QStringLiteral("Asia/Tokyo"));
    process.setProcessEnvironment(environment);
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return "did not finish";
    if (process.exitCode() != 0)
        return "exit " + QByteArray::number(process.exitCode()) + ": " +
               process.readAllStandardError();
    return QString::fromLatin1(process.readAllStandardOutput())
        .remove(QRegularExpression(QStringLiteral(", \\d+ ms\\n$")))
        .toLatin1();
}

}  // namespace

// The shooting-time benchmark compares like with like only while the
// program's reader and the plain exiv2 loop read the same folder to the same
// times: the same files, the same Exif times, the same fallbacks.
class TestBenchTimes : public QObject {
    Q_OBJECT
private slots:
    void contestantsAgree_data() {
        QTest::addColumn<int>("photos");
        QTest::addColumn<QString>("patterns");
        QTest::addColumn<QByteArray>("counts");
        // Every tenth made photo has a zero date and falls back.
        QTest::newRow("photos") << 50 << "*.jpg" << QByteArray("50 files, 50 timed, 45 with exif");
        QTest::newRow("letter case")
            << 20 << "*.JPG;*.png" << QByteArray("20 files, 20 timed, 18 with exif");
        QTest::newRow("no match") << 5 << "*.cr2" << QByteArray("0 files, 0 timed, 0 with exif");
    }
    void contestantsAgree() {
        QFETCH(int, photos);
        QFETCH(QString, patterns);
        QFETCH(QByteArray, counts);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QCOMPARE(run(kMakePhotos, {dir.path(), QString::number(photos)}), QByteArray());
        // Neither a hidden file nor a folder is a photo of the list.
        QVERIFY(QFile::copy(dir.filePath("IMG_00001.jpg"), dir.filePath(".hidden.jpg")));
        QVERIFY(QDir(dir.path()).mkdir("folder.jpg"));

        const QByteArray program = run(kTimes, {dir.path(), patterns});
        const QByteArray plain = run(kPlainExif, {dir.path(), patterns});
        QVERIFY2(program.startsWith(counts + ", sum "), program.constData());
        QCOMPARE(program, plain);
    }
};

QTEST_GUILESS_MAIN(TestBenchTimes)
#include "test_bench_times.moc"
