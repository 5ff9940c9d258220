#include <QtTest>

#include "Doubles.h"
#include "TestFiles.h"
#include "WindowDriver.h"

#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kRefusal = QStringLiteral("ファイル名に \\ / : , ; * ? \" < > . | は使用できません");

QStringList filesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::Files, QDir::Name);
    return names;
}

// A character as a keyboard types it; the warning a refusal brings comes up
// once the key has been handled, as it does between two keys of a person.
void type(QWidget* box, QChar c) {
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QCoreApplication::processEvents();
}

// What an input method sends when the user confirms a conversion.
void commit(QWidget* box, const QString& text) {
    QInputMethodEvent composing(text, {});
    QApplication::sendEvent(box, &composing);
    QInputMethodEvent committed;
    committed.setCommitString(text);
    QApplication::sendEvent(box, &committed);
}

}  // namespace

// The rename command from the button, with a person answering its boxes.
class TestConvert : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    void prepare(MainWindow& w, const QStringList& names) {
        MainWindowDriver d(w);
        QDir folder(dir_.path());
        for (const QString& f : folder.entryList(QDir::Files))
            folder.remove(f);
        for (const QString& name : names)
            touch(dir_.filePath(name));
        d.files()->setPattern(QStringLiteral("*.jpg;*.gif"));
        d.folders()->setPath(dir_.path());
    }

private slots:
    void emptyListIsRefusedAlone() {
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        prepare(w, {});
        d.prefix()->setText(QStringLiteral("a:b"));  // not even looked at
        d.convert();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].message.text, QStringLiteral("ファイルが選択されていません"));
        QCOMPARE(boxes.shown[0].message.icon, Icon::Error);
        QCOMPARE(boxes.shown[0].message.title, QStringLiteral("注意"));
        QCOMPARE(d.prefix()->text(), QStringLiteral("a:b"));
    }

    void confirmationText_data() {
        QTest::addColumn<bool>("ownName");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("MES");
        QTest::newRow("own name") << true << ""
                                  << ""
                                  << "「元ファイル名＋連番」に変換します.";
        QTest::newRow("neither") << false << ""
                                 << ""
                                 << "「連番＋拡張子」に変換します.";
        QTest::newRow("suffix only") << false << ""
                                     << "-x"
                                     << "「連番＋-x＋拡張子」に変換します.";
        QTest::newRow("prefix only") << false << "trip-"
                                     << ""
                                     << "「 trip-＋連番＋拡張子に変換します.」";
        QTest::newRow("both") << false << "旅行"
                              << "-x"
                              << "「旅行＋連番＋-x＋拡張子」に変換します.";
    }
    void confirmationText() {
        QFETCH(bool, ownName);
        QFETCH(QString, prefix);
        QFETCH(QString, suffix);
        QFETCH(QString, MES);
        ScriptedMessageBox boxes;
        boxes.answer(Answer::Cancel);
        MainWindow w;
        MainWindowDriver d(w);
        prepare(w, {"a.jpg"});
        d.prefix()->setText(prefix);
        d.suffix()->setText(suffix);
        d.ownName()->setChecked(ownName);
        d.convert();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].message.text,
                 MES + QStringLiteral("\r\n\r\n実行してもいいですか？"));
        QCOMPARE(boxes.shown[0].message.icon, Icon::Question);
        QCOMPARE(boxes.shown[0].message.buttons, Buttons::OkCancel);
        QVERIFY(boxes.shown[0].message.cancelIsDefault);
        QCOMPARE(boxes.shown[0].message.title, QStringLiteral("ファイル名変更"));
        QCOMPARE(filesIn(dir_.path()), QStringList{"a.jpg"});
    }

    void pastedForbiddenPrefix() {
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        prepare(w, {"a.jpg"});
        d.prefix()->setText(QStringLiteral("day:1"));
        d.suffix()->setText(QStringLiteral("-x"));
        d.convert();
        QCOMPARE(boxes.texts(), QStringList{kRefusal});
        QCOMPARE(boxes.shown[0].message.title, QStringLiteral("注意"));
        QCOMPARE(d.prefix()->text(), QString());  // the whole box, not just the colon
        QCOMPARE(d.suffix()->text(), QStringLiteral("-x"));
        // The next click starts afresh: now it asks.
        boxes.shown.clear();
        boxes.answer(Answer::Cancel);
        d.convert();
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].message.text.startsWith(QStringLiteral("「連番＋-x＋拡張子」")));
        // A forbidden suffix is caught after a clean prefix.
        boxes.shown.clear();
        d.suffix()->setText(QStringLiteral("a.b"));
        d.convert();
        QCOMPARE(boxes.texts(), QStringList{kRefusal});
        QCOMPARE(d.suffix()->text(), QString());
    }

    void cancelTouchesNothing() {
        ScriptedMessageBox boxes;
        boxes.answer(Answer::Cancel);
        MainWindow w;
        MainWindowDriver d(w);
        prepare(w, {"a.jpg", "b.jpg", "c.jpg"});
        d.conversionList()->setRowSelected(1, true);
        d.menuItem(QStringLiteral("リストから削除"))->trigger();
        d.convert();
        QCOMPARE(d.listed(), (QStringList{"a.jpg", "c.jpg"}));  // not reloaded
        QCOMPARE(filesIn(dir_.path()), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));
    }

    void okRenamesAndReloads() {
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        prepare(w, {"a.JPG", "b.jpg", "c.d.gif", "skip.jpg"});
        d.conversionList()->setRowSelected(3, true);
        d.menuItem(QStringLiteral("リストから削除"))->trigger();
        d.prefix()->setText(QStringLiteral("trip-"));
        d.suffix()->setText(QStringLiteral("-x"));
        d.startNumber()->setText(QStringLiteral("9"));
        d.convert();
        QCOMPARE(boxes.shown.size(), 1);  // the confirmation, and no failure
        QCOMPARE(filesIn(dir_.path()),
                 (QStringList{"skip.jpg", "trip-09-x.JPG", "trip-10-x.jpg", "trip-11-x.gif"}));
        // The list shows the folder as it now is, the hand-removed entry included.
        QCOMPARE(d.listed(),
                 (QStringList{"skip.jpg", "trip-09-x.JPG", "trip-10-x.jpg", "trip-11-x.gif"}));

        // Own-name mode on what is there now.
        prepare(w, {"a.JPG", "b.jpg", "c.d.gif"});
        d.ownName()->setChecked(true);
        d.convert();
        QCOMPARE(filesIn(dir_.path()), (QStringList{"a09.JPG", "b10.jpg", "c.d11.gif"}));
    }

    void collisionIsReportedWithItsEntry() {
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        prepare(w, {"1.jpg", "a.jpg", "b.jpg"});
        d.conversionList()->setRowSelected(0, true);  // 1.jpg stays in the folder, off the list
        d.menuItem(QStringLiteral("リストから削除"))->trigger();
        d.convert();
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown[1].message.text,
                 QStringLiteral("保存先に同じ名前が存在しています.\r\n\r\na.jpg "
                                "より後のファイルが変換できませんでした."));
        QCOMPARE(boxes.shown[1].message.icon, Icon::Warning);
        QCOMPARE(boxes.shown[1].message.title, QStringLiteral("注意"));
        // a.jpg would have become 1.jpg: it and b.jpg are untouched, 1.jpg is not replaced.
        QCOMPARE(filesIn(dir_.path()), (QStringList{"1.jpg", "a.jpg", "b.jpg"}));
    }

    void startNumberRefusals_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<int>("files");
        QTest::addColumn<QString>("message");
        const QString bad = QStringLiteral("開始番号を正しく入力してください.");
        const QString range = QStringLiteral("連番が32767を超えるため処理できません.");
        QTest::newRow("empty") << "" << 1 << bad;
        QTest::newRow("last serial above 32767") << "32767" << 2 << range;
    }
    void startNumberRefusals() {
        QFETCH(QString, start);
        QFETCH(int, files);
        QFETCH(QString, message);
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        QStringList names;
        for (int k = 0; k < files; ++k)
            names << QStringLiteral("f%1.jpg").arg(k);
        prepare(w, names);
        d.startNumber()->setText(start);
        d.convert();
        QCOMPARE(boxes.texts(), QStringList{message});
        QCOMPARE(boxes.shown[0].message.icon, Icon::Warning);
        QCOMPARE(boxes.shown[0].message.title, QStringLiteral("注意"));
        QCOMPARE(filesIn(dir_.path()), names);
    }

    void keyFilter() {
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        d.prefix()->setFocus();
        for (QChar c : QStringLiteral("ab:c"))
            type(d.prefix(), c);
        QCOMPARE(d.prefix()->text(), QStringLiteral("abc"));
        QCOMPARE(boxes.texts(), QStringList{kRefusal});
        // Every one of the twelve is refused in the suffix too.
        boxes.shown.clear();
        for (QChar c : QStringLiteral("\\/:,;*?\"<>|."))
            type(d.suffix(), c);
        QCOMPARE(d.suffix()->text(), QString());
        QCOMPARE(boxes.shown.size(), 12);
        // Full-width forms are ordinary characters.
        boxes.shown.clear();
        type(d.suffix(), QChar(0xFF1A));  // ：
        QCOMPARE(d.suffix()->text(), QStringLiteral("："));
        QVERIFY(boxes.shown.isEmpty());
        // The start number takes digits; anything else goes without a word.
        d.startNumber()->clear();
        for (QChar c : QStringLiteral("1a2-3"))
            type(d.startNumber(), c);
        QCOMPARE(d.startNumber()->text(), QStringLiteral("123"));
        QTest::keyClick(d.startNumber(), Qt::Key_Backspace);
        QCOMPARE(d.startNumber()->text(), QStringLiteral("12"));
        QVERIFY(boxes.shown.isEmpty());
    }

    // An input method commits a refused character, and commits it once more
    // when the warning takes the focus: one warning, and the box as it was.
    void refusedCommitWarnsOnce_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("committed");
        QTest::addColumn<QString>("text");
        QTest::newRow("prefix, slash") << 0 << "/"
                                       << "";
        QTest::newRow("suffix, slash") << 1 << "/"
                                       << "";
    }
    void refusedCommitWarnsOnce() {
        QFETCH(int, box);
        QFETCH(QString, committed);
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        QLineEdit* edit = box == 0 ? d.prefix() : box == 1 ? d.suffix() : d.startNumber();
        int depth = 0;
        boxes.onShow = [&](int) {
            // Bounded, so that a filter that shows its box from inside the
            // event fails here instead of recursing until the stack is gone.
            if (++depth < 5)
                commit(edit, committed);
        };
        commit(edit, committed);
        QVERIFY(boxes.shown.isEmpty());  // never from inside the input event
        QTRY_COMPARE(boxes.shown.size(), 1);
        QTest::qWait(50);
        QCOMPARE(boxes.texts(), QStringList{kRefusal});
        QTEST(edit->text(), "text");
    }

    // A click on 変換 while text is still being composed commits it first:
    // with a refused character in it, the warning comes and nothing is asked.
    void convertRightAfterARefusedCommit() {
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        prepare(w, {"a.jpg"});
        commit(d.prefix(), QStringLiteral("京都/"));
        d.convert();
        QCoreApplication::processEvents();
        QCOMPARE(boxes.texts(), QStringList{kRefusal});
        QCOMPARE(d.prefix()->text(), QStringLiteral("京都"));
        // The next click asks, with what the box holds.
        boxes.answer(Answer::Cancel);
        d.convert();
        QCOMPARE(boxes.shown.size(), 2);
        QVERIFY(boxes.shown[1].message.text.startsWith(QStringLiteral("「 京都＋連番")));
    }

    void refusedCommitKeepsTheRest() {
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        commit(d.prefix(), QStringLiteral("京都/嵐山"));
        QCOMPARE(d.prefix()->text(), QStringLiteral("京都嵐山"));
        QTRY_COMPARE(boxes.texts(), QStringList{kRefusal});
    }

    // mozc gives full-width digits by default; the box holds what they stand for.
    void committedStartNumber_data() {
        QTest::addColumn<QString>("committed");
        QTest::addColumn<QString>("text");
        QTest::newRow("full-width digits") << "１２"
                                           << "12";
        QTest::newRow("half-width digits") << "12"
                                           << "12";
        QTest::newRow("mixed with kana") << "１あ２"
                                         << "12";
        QTest::newRow("full-width letters refused") << "ｘ"
                                                    << "";
        QTest::newRow("full-width minus refused") << "－１"
                                                  << "1";
    }
    void committedStartNumber() {
        QFETCH(QString, committed);
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        d.startNumber()->clear();
        commit(d.startNumber(), committed);
        QTEST(d.startNumber()->text(), "text");
        QCoreApplication::processEvents();
        QVERIFY(boxes.shown.isEmpty());  // the start number refuses without a word
    }
};

QTEST_MAIN(TestConvert)
#include "test_convert.moc"
