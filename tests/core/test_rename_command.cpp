#include <QtTest>

#include "core/rename/NameChecks.h"
#include "core/rename/RenameCommand.h"

namespace {

// Records what the command shows and answers Cancel, so no file is touched.
struct Host : RenameCommandHost {
    void refuse(const Refusal& refusal) override { refusals.append(refusal); }
    bool confirm(const Message&, const RenamePlan&) override {
        ++questions;
        return false;
    }
    void report(const Message&) override {}
    QList<Refusal> refusals;
    int questions = 0;
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
    }
    void nameTexts() {
        QFETCH(QString, text);
        QFETCH(int, verdict);
        QTEST(int(isRefusedNameText(text)), "verdict");
        // A single key is refused exactly when the whole text would be.
        if (text.size() == 5)
            QCOMPARE(isForbiddenCharacter(text.at(2)), verdict == 1);
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
