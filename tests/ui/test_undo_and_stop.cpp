#include <QtTest>

#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTextEdit>

#include <cstdio>
#include <thread>

#include "Doubles.h"
#include "Inventory.h"
#include "Modal.h"
#include "TestFiles.h"
#include "WindowDriver.h"
#include "core/rename/FileSystem.h"
#include "core/settings/Settings.h"
#include "ui/windows/ProgressWindow.h"

// A batch seen from the window: its preview, a long run that shows its
// progress and stops on request, and the undo of the last batch.

namespace {

// The real file system, each rename taking a while, as on a slow card.
struct SlowFileSystem : PosixFileSystem {
    int renameNoReplace(const QByteArray& from, const QByteArray& to) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        return PosixFileSystem::renameNoReplace(from, to);
    }
};

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

}  // namespace

Q_DECLARE_METATYPE(Answer)

class TestUndoAndStop : public QObject {
    Q_OBJECT
    QTemporaryDir appFolder_;
    QTemporaryDir photos_;

    // n photos p1.jpg … in the photo folder, each with bytes of its own.
    std::vector<Photo> makePhotos(int n, const QByteArray& prefix) {
        QDir folder(photos_.path());
        for (const QString& f : folder.entryList(QDir::Files))
            folder.remove(f);
        std::vector<Photo> photos;
        const QByteArray root = QFile::encodeName(photos_.path()) + '/';
        const int width = int(QByteArray::number(n).size());
        for (int k = 1; k <= n; ++k) {
            const QByteArray name = "p" + QByteArray::number(k) + ".jpg";
            photos.push_back({photoBytes(name, k), name,
                              prefix + QByteArray::number(k).rightJustified(width, '0') + ".jpg"});
            writeWhole(root + name, photos.back().bytes);
        }
        return photos;
    }

    void open(MainWindowDriver& d) {
        d.setPatterns(QStringLiteral("*.jpg"));
        QCOMPARE(d.openFolder(photos_.path()), FolderAccess::Opened);
    }

    // When the progress window shows, waits for `done` files, keeps its title
    // and count, and presses 中止.
    static void stopOnceDone(int done, QString& title, QString& count) {
        whenModalAppears(
            [&title, &count, done](QWidget* modal) {
                auto* progress = qobject_cast<ProgressWindow*>(modal);
                QVERIFY(progress);
                title = progress->windowTitle();
                auto* bar = progress->findChild<QProgressBar*>(QStringLiteral("progressCount"));
                QVERIFY(bar);
                QTRY_VERIFY_WITH_TIMEOUT(bar->value() >= done, 20000);
                count = bar->text();
                findButton(*progress, QStringLiteral("中止"))->click();
            },
            20000);
    }

private slots:
    void initTestCase() {
        // The configuration and state folders under the test's own home.
        QStandardPaths::setTestModeEnabled(true);
        setApplicationFolderForTesting(appFolder_.path());
    }
    void init() {
        setFolderWritableCheckForTesting({});
        removeAllJournals();
    }
    void cleanupTestCase() {
        setApplicationFolderForTesting(QString());
        setFolderWritableCheckForTesting({});
        removeAllJournals();
    }

    void theQuestionShowsEveryNewName() {
        ScriptedMessageBox boxes;
        boxes.answer(Answer::Cancel);
        MainWindow w;
        MainWindowDriver d(w);
        makePhotos(3, "x");
        writeWhole(QFile::encodeName(photos_.filePath("x2.jpg")), "in the way");
        open(d);
        d.removeRows({3});  // x2.jpg stays in the folder, off the list
        d.prefix()->setText(QStringLiteral("x"));
        d.convert();
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].message.details);
        QCOMPARE(
            boxes.shown[0].details.split(u'\n', Qt::SkipEmptyParts),
            (QStringList{"同じ名前のファイルがあるため、次の行で変換が止まります: p2.jpg → x2.jpg",
                         "p1.jpg → x1.jpg", "p2.jpg → x2.jpg  ← 同じ名前が存在しています",
                         "p3.jpg → x3.jpg"}));
    }

    // The real box: the details wait behind 「詳細を表示...」 until asked
    // for, and once shown the keyboard reaches them, line by line.
    void detailsAreMadeWhenAskedFor() {
        int made = 0;
        Message question(QStringLiteral("本文"), QStringLiteral("ファイル名変更"), Icon::Question,
                         Buttons::OkCancel);
        question.details = [&made] {
            ++made;
            return QStringLiteral("a.jpg → 1.jpg\nb.jpg → 2.jpg\n");
        };
        QString shown;
        whenModalAppears([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            QCOMPARE(made, 0);
            QPushButton* details = findButton(*box, QMessageBox::tr("Show Details..."));
            details->click();
            details->click();
            details->click();
            auto* text = box->findChild<QTextEdit*>();
            shown = text->toPlainText();
            box->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(box));
            for (int tab = 0; tab < 4 && !text->hasFocus(); ++tab)
                QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Tab);
            QVERIFY(text->hasFocus());
            QTest::keyClick(text, Qt::Key_Down);
            QCOMPARE(text->textCursor().blockNumber(), 1);
            box->button(QMessageBox::Cancel)->click();
        });
        QCOMPARE(showMessage(nullptr, question), Answer::Cancel);
        QCOMPARE(made, 1);
        QCOMPARE(shown, QStringLiteral("a.jpg → 1.jpg\nb.jpg → 2.jpg\n"));
    }

    void undoTheLastBatch() {
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        const std::vector<Photo> photos = makePhotos(4, "trip");
        QAction* undo = d.menuItem(QStringLiteral("変換を元に戻す"));
        QCOMPARE(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
        QVERIFY(!undo->isEnabled());
        open(d);
        d.prefix()->setText(QStringLiteral("trip"));
        const QDateTime before = QDateTime::currentDateTime();
        d.convert();
        const QDateTime after = QDateTime::currentDateTime();
        QCOMPARE(d.listed(), (QStringList{"trip1.jpg", "trip2.jpg", "trip3.jpg", "trip4.jpg"}));
        QVERIFY(undo->isEnabled());

        // Cancel: nothing. The question names the batch: its folder, its
        // number of files and when it ran, to the minute.
        boxes.shown.clear();
        boxes.answer(Answer::Cancel);
        undo->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        Message question(boxes.shown[0].message.text, QStringLiteral("元に戻す"), Icon::Question,
                         Buttons::OkCancel);
        question.cancelIsDefault = true;
        QCOMPARE(boxes.shown[0].message, question);
        QStringList ran;
        for (const QDateTime& at : {before, after}) {
            ran << QStringLiteral("直前の変換を元に戻します.\r\n") + photos_.path() +
                       QStringLiteral(" の 4 個のファイル（") +
                       at.toString(QStringLiteral("yyyy/MM/dd HH:mm")) +
                       QStringLiteral("）\r\n\r\n実行してもいいですか？");
        }
        QVERIFY2(ran.contains(question.text), qPrintable(question.text));
        QCOMPARE(filesIn(photos_.path()),
                 (QStringList{"trip1.jpg", "trip2.jpg", "trip3.jpg", "trip4.jpg"}));

        // OK: every file back, the list shows them, nothing more is said.
        boxes.shown.clear();
        undo->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(d.listed(), (QStringList{"p1.jpg", "p2.jpg", "p3.jpg", "p4.jpg"}));
        std::vector<Photo> back = photos;
        for (Photo& photo : back)
            photo.newPath = photo.oldPath;
        VERIFY_ACCOUNTED_FOR(inventory(QFile::encodeName(photos_.path())), back);
        QVERIFY(!undo->isEnabled());
    }

    // The record goes beside the settings file, else to the state folder;
    // where no place can hold it, the user is asked before any file moves.
    // A batch that ran without one leaves no record passing for its own: the
    // undo offered is an earlier batch's, and moves none of its files.
    void whereTheRecordGoes_data() {
        QTest::addColumn<QString>("writable");  // the folders that can be written
        QTest::addColumn<Answer>("answer");     // to the warning, where it comes
        QTest::addColumn<bool>("earlier");      // v1…v3 renamed and recorded first
        QTest::addColumn<QString>("place");     // where the newest journal is; empty: nowhere
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QStringList>("undone");  // empty: no undo offered
        const QStringList back{"p1.jpg", "p2.jpg", "p3.jpg"};
        const QStringList renamed{"w1.jpg", "w2.jpg", "w3.jpg"};
        QTest::newRow("beside the settings")
            << "all" << Answer::Ok << false << "settings" << renamed << back;
        QTest::newRow("settings read-only: the state folder")
            << "state" << Answer::Ok << false << "state" << renamed << back;
        QTest::newRow("nowhere, renamed all the same")
            << "none" << Answer::Ok << false << "" << renamed << QStringList();
        QTest::newRow("nowhere, not renamed")
            << "none" << Answer::Cancel << false << "" << back << QStringList();
        QTest::newRow("nowhere, after a batch recorded")
            << "none" << Answer::Ok << true << "settings"
            << QStringList{"v3.jpg", "w1.jpg", "w2.jpg"}
            << QStringList{"p3.jpg", "w1.jpg", "w2.jpg"};
    }
    void whereTheRecordGoes() {
        QFETCH(QString, writable);
        QFETCH(Answer, answer);
        QFETCH(bool, earlier);
        QFETCH(QString, place);
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        makePhotos(3, "w");
        open(d);
        if (earlier) {
            d.prefix()->setText(QStringLiteral("v"));
            d.convert();
            d.removeRows({2});
        }
        const QString state = journalStateFolder();
        setFolderWritableCheckForTesting([writable, state](const QString& folder) {
            return writable == "all" || (writable == "state" && folder == state);
        });
        boxes.shown.clear();
        boxes.answer(Answer::Ok);
        boxes.answer(answer);
        d.prefix()->setText(QStringLiteral("w"));
        d.convert();
        QCOMPARE(boxes.shown.size(), writable == "none" ? 2 : 1);
        if (writable == "none") {
            Message warning(
                QStringLiteral("元に戻すための記録を保存できません.\r\n\r\nこのまま変換しますか？"),
                QStringLiteral("注意"), Icon::Warning, Buttons::OkCancel);
            warning.cancelIsDefault = true;
            QCOMPARE(boxes.shown[1].message, warning);
        }
        QFETCH(QStringList, after);
        QCOMPARE(filesIn(photos_.path()), after);
        setFolderWritableCheckForTesting({});
        const QStringList journals = BatchHistory::standard().journals();
        QCOMPARE(journals.isEmpty(), place.isEmpty());
        if (!place.isEmpty()) {
            QCOMPARE(QFileInfo(journals[0]).absolutePath(),
                     place == "state" ? state : QFileInfo(settingsFilePath()).absolutePath());
        }
        QAction* undo = d.menuItem(QStringLiteral("変換を元に戻す"));
        QCOMPARE(undo->isEnabled(), !place.isEmpty());
        undo->trigger();
        QFETCH(QStringList, undone);
        QCOMPARE(filesIn(photos_.path()), undone.isEmpty() ? after : undone);
    }

    // Ctrl+Z in a text box undoes the typing there, even with nothing left
    // to undo; anywhere else it asks to undo the last batch.
    void ctrlZ_data() {
        QTest::addColumn<QString>("focus");  // a text box's or another control's name
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("asks");
        QTest::newRow("prefix: the typing") << "前："
                                            << "xy" << false;
        QTest::newRow("start number: the typing") << "開始番号："
                                                  << "7" << false;
        QTest::newRow("suffix: the typing") << "後："
                                            << "xy" << false;
        QTest::newRow("empty suffix: nothing") << "後："
                                               << "" << false;
        QTest::newRow("conversion list: the batch") << "list"
                                                    << "" << true;
        QTest::newRow("folder list: the batch") << "folders"
                                                << "" << true;
        QTest::newRow("check box: the batch") << "元ﾌｧｲﾙ名＋連番"
                                              << "" << true;
        QTest::newRow("変換: the batch") << "変換"
                                         << "" << true;
    }
    void ctrlZ() {
        QFETCH(QString, focus);
        QFETCH(QString, typed);
        QFETCH(bool, asks);
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        makePhotos(2, "a");
        open(d);
        d.prefix()->setText(QStringLiteral("a"));
        d.convert();
        boxes.shown.clear();
        boxes.answer(Answer::Cancel);
        QWidget* control = focus == "list"         ? static_cast<QWidget*>(d.conversionList())
                           : focus == "folders"    ? static_cast<QWidget*>(d.folders())
                           : focus == "変換"       ? static_cast<QWidget*>(d.convertButton())
                           : focus.endsWith(u'：') ? static_cast<QWidget*>(findTextBox(w, focus))
                                                   : static_cast<QWidget*>(findCheckBox(w, focus));
        control->setFocus();
        auto* box = qobject_cast<QLineEdit*>(control);
        const QString before = box ? box->text() : QString();
        if (box)
            box->setText(before);  // no earlier typing of its own to undo
        QTest::keyClicks(control, typed);
        QTest::keyClick(control, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(boxes.shown.size(), asks ? 1 : 0);
        if (box)
            QCOMPARE(box->text(), before);
    }

    // A file the user put under a new name is never touched; the report says
    // so, and the undo stays for it.
    void filesThatCannotGoBack() {
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        makePhotos(3, "n");
        open(d);
        d.prefix()->setText(QStringLiteral("n"));
        d.convert();
        // The user's file is made while the batch's still exists, so it can
        // never get the batch's file's inode number, then put in its place.
        const QByteArray n2 = QFile::encodeName(photos_.filePath("n2.jpg"));
        writeWhole(n2 + ".part", "the user's own");
        QCOMPARE(std::rename((n2 + ".part").constData(), n2.constData()), 0);
        boxes.shown.clear();
        d.menuItem(QStringLiteral("変換を元に戻す"))->trigger();
        QCOMPARE(boxes.shown.size(), 2);
        const Message& report = boxes.shown[1].message;
        QCOMPARE(report.title, QStringLiteral("注意"));
        QVERIFY(report.text.contains(
            QStringLiteral("n2.jpg → p2.jpg : 別のファイルがこの名前になっています")));
        QCOMPARE(filesIn(photos_.path()), (QStringList{"n2.jpg", "p1.jpg", "p3.jpg"}));
        QVERIFY(d.menuItem(QStringLiteral("変換を元に戻す"))->isEnabled());
    }

    // A run longer than half a second shows its progress; 中止 stops it after
    // the file in hand, and the stop is reported like any other.
    void stopALongRun_data() {
        QTest::addColumn<int>("stopAfter");  // renames done when 中止 is pressed
        QTest::newRow("early") << 180;
        QTest::newRow("late") << 330;
    }
    void stopALongRun() {
        QFETCH(int, stopAfter);
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        SlowFileSystem slow;
        w.setFileSystem(&slow);
        std::vector<Photo> photos = makePhotos(400, "s");
        open(d);
        d.prefix()->setText(QStringLiteral("s"));
        QString title;
        QString count;
        stopOnceDone(stopAfter, title, count);
        d.convert();
        QCOMPARE(title, QStringLiteral("ファイル名変更"));
        QVERIFY2(count.endsWith(QStringLiteral(" / 400")), qPrintable(count));
        QCOMPARE(boxes.shown.size(), 2);
        const Message& stop = boxes.shown[1].message;
        QCOMPARE(stop.title, QStringLiteral("注意"));
        QVERIFY(stop.text.startsWith(QStringLiteral("変換を中止しました.\r\n\r\np")));

        const Files now = inventory(QFile::encodeName(photos_.path()));
        const int moved = movedCount(now, photos);
        QVERIFY(moved >= stopAfter && moved < 400);
        QVERIFY(stop.text.endsWith(QString::fromUtf8(photos[size_t(moved - 1)].oldPath) +
                                   QStringLiteral(" より後のファイルは変換していません.")));
        VERIFY_ACCOUNTED_FOR(now, photos);
        for (int k = 0; k < moved; ++k)
            QVERIFY(now.count(photos[size_t(k)].newPath));
        QCOMPARE(d.conversionList()->count(), 400);  // reloaded: the folder as it is
        QCOMPARE(d.conversionList()->text(0),
                 QStringLiteral("p") + QString::number(moved + 1) + QStringLiteral(".jpg"));
        w.setFileSystem(nullptr);
    }

    // The undo of a batch that stopped part-way counts the files it has to
    // bring back; 中止 stops it after the file in hand, says where, and the
    // rest can still be taken back.
    void stopALongUndo() {
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        std::vector<Photo> photos = makePhotos(400, "s");
        // Where the 250th file's new name is taken, the batch stops.
        QVERIFY(QDir(photos_.path()).mkdir(QStringLiteral("s250.jpg")));
        open(d);
        d.prefix()->setText(QStringLiteral("s"));
        d.convert();
        QCOMPARE(boxes.shown.size(), 2);  // the question, and the stop at p250.jpg
        SlowFileSystem slow;
        w.setFileSystem(&slow);
        QString count;
        QString title;
        stopOnceDone(60, title, count);
        boxes.shown.clear();
        d.menuItem(QStringLiteral("変換を元に戻す"))->trigger();
        QCOMPARE(title, QStringLiteral("元に戻す"));
        QVERIFY2(count.endsWith(QStringLiteral(" / 249")), qPrintable(count));
        QCOMPARE(boxes.shown.size(), 2);
        QVERIFY(boxes.shown[0].message.text.contains(QStringLiteral(" の 249 個のファイル（")));
        // Back from the last renamed: the files before the first one still
        // renamed are all renamed too.
        Files now = inventory(QFile::encodeName(photos_.path()));
        const int left = movedCount(now, photos);
        QVERIFY(left > 0 && left <= 249 - 60);
        for (int k = 0; k < left; ++k)
            QVERIFY(now.count(photos[size_t(k)].newPath));
        const Message& stop = boxes.shown[1].message;
        QCOMPARE(stop.title, QStringLiteral("注意"));
        QCOMPARE(stop.text,
                 QStringLiteral("元に戻すのを中止しました.\r\n\r\n") +
                     QString::fromUtf8(photos[size_t(left - 1)].newPath) +
                     QStringLiteral(" 以前のファイルは元に戻していません.\r\n"
                                    "残りは、もう一度「変換を元に戻す」を選ぶと元に戻せます."));
        // The rest goes back with the next undo.
        w.setFileSystem(nullptr);
        boxes.shown.clear();
        d.menuItem(QStringLiteral("変換を元に戻す"))->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].message.text.contains(
            QStringLiteral(" の %1 個のファイル（").arg(left)));
        for (Photo& photo : photos)
            photo.newPath = photo.oldPath;
        now = inventory(QFile::encodeName(photos_.path()));
        VERIFY_ACCOUNTED_FOR(now, photos);
        QVERIFY(QDir(photos_.path()).rmdir(QStringLiteral("s250.jpg")));
    }

    // Closing the window during a run stops it the same way, then closes.
    void closeDuringARun() {
        ScriptedMessageBox boxes;
        auto w = std::make_unique<MainWindow>();
        MainWindowDriver d(*w);
        SlowFileSystem slow;
        w->setFileSystem(&slow);
        w->show();
        std::vector<Photo> photos = makePhotos(300, "c");
        open(d);
        d.prefix()->setText(QStringLiteral("c"));
        QTimer::singleShot(200, w.get(), [&w] { w->close(); });
        d.convert();
        QVERIFY(!w->isVisible());
        QCOMPARE(boxes.shown.size(), 1);  // the question; no report to wait for
        QCOMPARE(readSetting(Setting::LastFolder), photos_.path());
        const Files now = inventory(QFile::encodeName(photos_.path()));
        const int moved = movedCount(now, photos);
        QVERIFY(moved > 0 && moved < 300);
        VERIFY_ACCOUNTED_FOR(now, photos);
        // The batch can still be undone.
        QVERIFY(readSetting(Setting::LastFolder).size() > 0);
        QVERIFY(BatchHistory::standard().newest());
    }
};

QTEST_MAIN(TestUndoAndStop)
#include "test_undo_and_stop.moc"
