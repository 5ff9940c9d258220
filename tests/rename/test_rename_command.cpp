#include <QtTest>

#include "rename/NameCheck.h"
#include "rename/RenameCommand.h"

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
        const std::optional<Message> message = startNumberProblem(start, count);
        QCOMPARE(message.has_value(), !problem.isEmpty());
        if (message)
            QCOMPARE(*message, (Message{problem, 48, "注意"}));
    }

    void nameTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("verdict");
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("plain") << "旅行-2026_" << 0;
        QTest::newRow("full-width colon") << "a：b" << 0;
        for (const char16_t c : forbiddenCharacters) {
            if (c != 0)
                QTest::addRow("pasted %c", char(c)) << QString("ab") + QChar(c) + "cd" << 1;
        }
    }
    void nameTexts() {
        QFETCH(QString, text);
        QFETCH(int, verdict);
        QTEST(NAME_check(text), "verdict");
        // A single key is refused exactly when the whole text would be.
        if (text.size() == 5)
            QCOMPARE(KEY_check(text.at(2).unicode()) == 0, verdict == 1);
    }

    void keysAndMessages() {
        QCOMPARE(KEY_check(u'：'), int(u'：'));
        QCOMPARE(nameRefusalMessage(),
                 (Message{"ファイル名に \\ / : , ; * ? \" < > . | は使用できません", 0, "注意"}));
        QCOMPARE(emptyListMessage(), (Message{"ファイルが選択されていません", 16, "注意"}));
    }
};

QTEST_GUILESS_MAIN(TestRenameCommand)
#include "test_rename_command.moc"
