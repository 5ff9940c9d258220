#include <QtTest>

#include "core/rename/NameChecks.h"
#include "core/rename/RenameCommand.h"
#include "core/rename/RenameTexts.h"

#include "TestFiles.h"

namespace {

// Records what the command shows and answers Cancel, so no file is touched.
// Asked for shooting times, it stops when reading is "stop", or gives each
// row without one that time ("" gives none).
struct Host : RenameCommandHost {
    void refuse(const Refusal& refusal) override { refusals.append(refusal); }
    bool completeShootingTimes(std::vector<Shot>& shots) override {
        ++timeReads;
        for (Shot& shot : shots) {
            if (!shot.first().time.isKnown() && !reading.isEmpty() && reading != u"stop")
                shot.members.front().time = shootingTimeOf(reading);
        }
        return reading != u"stop";
    }
    bool confirm(const Message&, const RenamePlan& plan) override {
        ++questions;
        for (int k = 0; k < plan.count(); ++k)
            newNames << QString::fromUtf8(plan.newName(k).toByteArray());
        return false;
    }
    void report(const Message&) override {}
    QList<Refusal> refusals;
    int questions = 0;
    QStringList newNames;
    QString reading;
    int timeReads = 0;
};

// A file system the command must not touch before its question.
struct NoFiles : FileSystem {
    int renameNoReplace(const QByteArray&, const QByteArray&) override { return EIO; }
    bool folderExists(const QByteArray&) override { return true; }
    qsizetype longestName(const QByteArray&) override { return 255; }
};

}  // namespace

// The checks and texts of the rename command, before any file is touched.
class TestRenameCommand : public QObject {
    Q_OBJECT
private slots:
    void startNumber_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("problem");
        const QString bad = "開始番号を正しく入力してください.";
        const QString over = "連番が32767を超えるため処理できません.";
        QTest::newRow("empty") << "" << 1 << bad;
        QTest::newRow("letters") << "abc" << 1 << bad;
        QTest::newRow("full-width digits") << "１２" << 1 << bad;
        QTest::newRow("fraction") << "1.5" << 1 << bad;
        QTest::newRow("start above limit") << "32768" << 1 << over;
        QTest::newRow("last above limit") << "32767" << 2 << over;
        QTest::newRow("long pasted number") << "99999999999999999999" << 1 << over;
        QTest::newRow("last at limit") << "32767" << 1 << QString();
    }
    void startNumber() {
        QFETCH(QString, start);
        QFETCH(int, count);
        QFETCH(QString, problem);
        RenameRequest request;
        request.startNumber = start;
        for (int k = 0; k < count; ++k)
            request.shots.push_back(ListedFile{QByteArray::number(k) + ".jpg", 0, {}});
        NoFiles fs;
        Host host;
        runRenameCommand(request, fs, host);
        if (problem.isEmpty()) {
            QVERIFY(host.refusals.isEmpty());
            QCOMPARE(host.questions, 1);
        } else {
            QCOMPARE(host.refusals.size(), 1);
            QCOMPARE(host.refusals[0].message, Message(problem, "注意", Icon::Warning));
            QCOMPARE(host.questions, 0);
        }
    }

    void nameTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("verdict");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("plain") << "旅行-2026_" << 0;
        QTest::newRow("full-width colon") << "a：b" << 0;
        // Written out, not taken from the program's own list, so that one
        // missing there shows here.
        for (const char c : {'\\', '/', ':', ',', ';', '*', '?', '"', '<', '>', '.', '|'})
            QTest::addRow("pasted %c", c) << QString("ab") + QChar(c) + "cd" << 1;
        // Shooting-time fields pass whole, and only whole.
        QTest::newRow("date field") << "<年月日>" << 0;
        QTest::newRow("three fields, text between") << "旅<年-月-日>_<時分秒><年月日>" << 0;
        QTest::newRow("full-width brackets: no field, plain text") << "＜年月日＞" << 0;
        QTest::newRow("field not closed") << "<年月日" << 1;
        QTest::newRow("field closed twice") << "<年月日>>" << 1;
        QTest::newRow("after a field, a bracket") << "<時分秒><" << 1;
    }
    void nameTexts() {
        QFETCH(QString, text);
        QFETCH(int, verdict);
        QTEST(int(isRefusedNameText(text)), "verdict");
        // A single key is refused exactly when the whole text would be.
        if (text.size() == 5)
            QCOMPARE(isForbiddenCharacter(text.at(2)), verdict == 1);
    }

    // Names that show shooting times have them read first, by the host, only
    // where a field needs them; a row without any is refused by name, and
    // 中止 while they are read asks and renames nothing.
    void shootingTimes_data() {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("ownName");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<int>("timeReads");
        QTest::addColumn<QStringList>("shown");  // the refusal, or the names asked about
        const QString time = "2024-05-12 09:30:15";
        QTest::newRow("read, then asked")
            << "<年月日>_" << false << time << 1 << QStringList{"20240512_1.jpg", "20240513_2.jpg"};
        QTest::newRow("stopped while read") << "<時分秒>" << false << "stop" << 1 << QStringList();
        QTest::newRow("a file without any time")
            << "<年月日>" << false << "" << 1
            << QStringList{"撮影日時を読み取れないファイルがあるため処理できません.\r\n\r\nb.jpg"};
        QTest::newRow("no field: nothing read")
            << "x" << false << time << 0 << QStringList{"x1.jpg", "x2.jpg"};
        QTest::newRow("own name: nothing read")
            << "<年月日>" << true << "" << 0 << QStringList{"b1.jpg", "a2.jpg"};
    }
    void shootingTimes() {
        RenameRequest request;
        request.startNumber = "1";
        QFETCH(QString, prefix);
        request.prefix = prefix;
        QFETCH(bool, ownName);
        request.ownName = ownName;
        // b.jpg unread, a.jpg read already (the day after).
        request.shots = shotsNamed({"b.jpg", "a.jpg"});
        request.shots[1].members[0].time = shootingTimeOf("2024-05-13 10:00:00");
        NoFiles fs;
        Host host;
        QFETCH(QString, reading);
        host.reading = reading;
        runRenameCommand(request, fs, host);
        QTEST(host.timeReads, "timeReads");
        QStringList shown = host.newNames;
        for (const Refusal& refusal : host.refusals)
            shown << refusal.message.text;
        QTEST(shown, "shown");
    }

    void keysAndMessages() {
        QVERIFY(!isForbiddenCharacter(u'：'));
        QCOMPARE(nameRefusalMessage(),
                 Message("ファイル名に \\ / : , ; * ? \" < > . | は使用できません", "注意"));
        QCOMPARE(emptyListMessage(), Message("ファイルが選択されていません", "注意", Icon::Error));
    }
};

QTEST_GUILESS_MAIN(TestRenameCommand)
#include "test_rename_command.moc"
