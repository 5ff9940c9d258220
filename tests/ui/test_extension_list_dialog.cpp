#include <QtTest>

#include <QFile>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "Doubles.h"
#include "Modal.h"
#include "WindowDriver.h"
#include "core/settings/Settings.h"
#include "ui/windows/ExtensionListDialog.h"

namespace {

const QString kKey = QStringLiteral("拡張子");
const QString kWarning = QStringLiteral("半角英数字を記入してください");

NameList* listOf(QWidget& dialog) {
    return findOnly<NameList>(dialog);
}

QLineEdit* editOf(QWidget& dialog) {
    return findOnly<QLineEdit>(dialog);
}

// Types text one key at a time; "\b" is the backspace key. A warning comes
// up between two keys, as it does for a person typing.
void type(QWidget* box, const QString& text) {
    for (const QChar c : text) {
        if (c == u'\b')
            QTest::keyClick(box, Qt::Key_Backspace);
        else
            QTest::keyClick(box, c.toLatin1());
        QCoreApplication::processEvents();
    }
}

void commit(QWidget* box, const QString& text) {
    QInputMethodEvent composing(text, {});  // not typed until committed
    QApplication::sendEvent(box, &composing);
    QInputMethodEvent committed;
    committed.setCommitString(text);
    QApplication::sendEvent(box, &committed);
}

void clickRow(NameList& list, int row) {
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                      list.visualRect(list.model()->index(row, 0)).center());
}

// Opens the dialog as the menu does and lets act work in it; whatever act
// leaves open is closed by the title bar's close button. Returns whether the
// dialog was confirmed.
bool openFromMenu(FileList& file, std::function<void(ExtensionListDialog&)> act) {
    whenModalAppears([act](QWidget* window) {
        if (auto* dialog = qobject_cast<ExtensionListDialog*>(window))
            act(*dialog);
        if (window->isVisible())
            window->close();
    });
    return ExtensionListDialog::openFromMenu(nullptr, file);
}

}  // namespace

// The extension list dialog on a real settings file in a temporary program
// folder, confirming into a real file list over a real folder.
class TestExtensionListDialog : public QObject {
    Q_OBJECT
    QTemporaryDir appDir_, photos_;
    std::unique_ptr<FileList> file_;
    std::unique_ptr<ScriptedMessageBox> boxes_;

    QByteArray settings() const {
        QFile f(appDir_.filePath("Tolvane.ini"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void storeList(const QString& stored) {
        QFile f(appDir_.filePath("Tolvane.ini"));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[Data]\n" + kKey.toUtf8() + '=' + stored.toUtf8() + "\nパス=/home/taro\n");
    }

private slots:
    void initTestCase() {
        setApplicationFolderForTesting(appDir_.path());
        for (const char* name : {"a.jpg", "b.png", "c.txt"})
            QVERIFY(QFile(photos_.filePath(name)).open(QIODevice::WriteOnly));
    }
    void init() {
        QFile::remove(appDir_.filePath("Tolvane.ini"));
        file_ = std::make_unique<FileList>();
        file_->setPattern("*.jpg");
        file_->setPath(photos_.path());
        boxes_.reset();  // before its successor takes its place
        boxes_ = std::make_unique<ScriptedMessageBox>();
    }
    void cleanupTestCase() { setApplicationFolderForTesting(QString()); }

    void storedListRoundTrip_data() {
        QTest::addColumn<QString>("stored");  // null: no key
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("confirmed");  // also the pattern applied
        // Folder reads: none when the file list has that pattern already.
        QTest::addColumn<int>("reloads");

        QTest::newRow("two entries")
            << "*.jpg;*.png" << QStringList{"*.jpg", "*.png"} << "*.png;*.jpg" << 1;
        QTest::newRow("sorted, stored last first")
            << "*.png;*.mp10;*.mp4" << QStringList{"*.mp4", "*.mp10", "*.png"}
            << "*.png;*.mp10;*.mp4" << 1;
        QTest::newRow("leading semicolon") << ";*.jpg" << QStringList{"", "*.jpg"} << "*.jpg;" << 1;
        QTest::newRow("final semicolon") << "*.jpg;" << QStringList{"*.jpg"} << "*.jpg" << 0;
        QTest::newRow("stored repeats kept")
            << "*.jpg;*.jpg" << QStringList{"*.jpg", "*.jpg"} << "*.jpg;*.jpg" << 1;
    }
    void storedListRoundTrip() {
        QFETCH(QString, stored);
        QFETCH(QStringList, shown);
        QFETCH(QString, confirmed);
        storeList(stored);
        QSignalSpy reloads(file_.get(), &FileList::patternChanged);
        QStringList seen;
        QVERIFY(openFromMenu(*file_, [&](ExtensionListDialog& dialog) {
            seen = namesIn(*listOf(dialog));
            QTest::mouseClick(findButton(dialog, "メインへ"), Qt::LeftButton);
        }));
        QCOMPARE(seen, shown);
        QCOMPARE(readSetting(Setting::Extensions), confirmed);
        QCOMPARE(file_->pattern(), confirmed);
        QTEST(int(reloads.count()), "reloads");
    }

    void typing_data() {
        QTest::addColumn<bool>("committed");  // by an input method, not by keys
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("warnings");

        QTest::newRow("capitals refused one by one") << false << "JPG"
                                                     << "" << 3;
        QTest::newRow("small letters, digits, star") << false << "j*0"
                                                     << "j*0" << 0;
        QTest::newRow("full stop refused") << false << "tar.gz"
                                           << "targz" << 1;
        QTest::newRow("space refused") << false << "a b"
                                       << "ab" << 1;
        QTest::newRow("five at most") << false << "abcdefg"
                                      << "abcde" << 0;
        QTest::newRow("backspace passes") << false << "ab\bc"
                                          << "ac" << 0;
        QTest::newRow("kana commit refused") << true << "じぇいぺぐ"
                                             << "" << 1;
        QTest::newRow("commit keeps the allowed") << true << "aB1"
                                                  << "a1" << 1;
        QTest::newRow("full-width letters and digits") << true << "ｊｐｇ２"
                                                       << "jpg2" << 0;
        QTest::newRow("full-width capitals refused") << true << "ＪＰＧ"
                                                     << "" << 1;
    }
    void typing() {
        QFETCH(bool, committed);
        QFETCH(QString, input);
        QFETCH(QString, text);
        QFETCH(int, warnings);
        ExtensionListDialog dialog(*file_);
        dialog.show();
        if (committed)
            commit(editOf(dialog), input);
        else
            type(editOf(dialog), input);
        QCoreApplication::processEvents();
        QCOMPARE(editOf(dialog)->text(), text);
        QCOMPARE(boxes_->texts(), QStringList(warnings, kWarning));
        for (const ScriptedMessageBox::Shown& box : boxes_->shown)
            QCOMPARE(box.message, Message(kWarning, QStringLiteral("注意")));
    }

    // The input method commits again when the warning takes the focus.
    void refusedCommitWarnsOnce() {
        ExtensionListDialog dialog(*file_);
        dialog.show();
        int depth = 0;
        boxes_->onShow = [&](int) {
            if (++depth < 5)
                commit(editOf(dialog), QStringLiteral("じぇいぺぐ"));
        };
        commit(editOf(dialog), QStringLiteral("じぇいぺぐ"));
        QVERIFY(boxes_->shown.isEmpty());
        QTRY_COMPARE(boxes_->shown.size(), 1);
        QTest::qWait(50);
        QCOMPARE(boxes_->texts(), QStringList{kWarning});
        QCOMPARE(editOf(dialog)->text(), QString());
        boxes_->onShow = nullptr;
    }

    void addingAndRemoving() {
        ExtensionListDialog dialog(*file_);
        dialog.addStoredEntries("*.png;*.bmp");
        dialog.show();
        type(editOf(dialog), "jpg");
        QTest::keyClick(editOf(dialog), Qt::Key_Return);  // ﾘｽﾄに追加 is the default button
        QCOMPARE(namesIn(*listOf(dialog)), (QStringList{"*.bmp", "*.jpg", "*.png"}));
        type(editOf(dialog), "jpg");
        QTest::mouseClick(findButton(dialog, "ﾘｽﾄに追加"),
                          Qt::LeftButton);  // a duplicate: silently dropped
        QCOMPARE(listOf(dialog)->count(), 3);
        QCOMPARE(editOf(dialog)->text(), QString());
        type(editOf(dialog), "*");
        QTest::keyClick(editOf(dialog), Qt::Key_Enter);

        // A click toggles one entry: bmp and png stay selected, jpg does not.
        for (int row : {1, 2, 2, 3})
            clickRow(*listOf(dialog), row);
        QTest::mouseClick(findButton(dialog, "ﾘｽﾄから削除"), Qt::LeftButton);
        QCOMPARE(namesIn(*listOf(dialog)), (QStringList{"*.*", "*.jpg"}));
        QTest::mouseClick(findButton(dialog, "メインへ"), Qt::LeftButton);
        QCOMPARE(file_->pattern(), QString("*.jpg;*.*"));
        QCOMPARE(int(file_->files().size()), 3);  // "*.*": every file
        QVERIFY(boxes_->shown.isEmpty());
    }

    void emptiedListRemovesTheKey() {
        storeList("*.jpg;*.png");
        QVERIFY(openFromMenu(*file_, [](ExtensionListDialog& dialog) {
            clickRow(*listOf(dialog), 0);
            clickRow(*listOf(dialog), 1);
            QTest::mouseClick(findButton(dialog, "ﾘｽﾄから削除"), Qt::LeftButton);
            QTest::mouseClick(findButton(dialog, "メインへ"), Qt::LeftButton);
        }));
        QCOMPARE(file_->pattern(), QString("*.ああ"));
        QCOMPARE(int(file_->files().size()), 0);
        QVERIFY(!settings().contains(kKey.toUtf8()));  // the next start is a first run
        QCOMPARE(readSetting(Setting::LastFolder), QString("/home/taro"));
    }

    void closeButtonDiscardsTheEdits() {
        storeList("*.jpg");
        const QByteArray before = settings();
        QStringList edited, reopened;
        QVERIFY(!openFromMenu(*file_, [&](ExtensionListDialog& dialog) {
            type(editOf(dialog), "png");
            QTest::keyClick(editOf(dialog), Qt::Key_Return);
            clickRow(*listOf(dialog), 0);
            QTest::mouseClick(findButton(dialog, "ﾘｽﾄから削除"), Qt::LeftButton);
            edited = namesIn(*listOf(dialog));
            dialog.close();
        }));
        QCOMPARE(edited, QStringList{"*.png"});
        QCOMPARE(settings(), before);
        QCOMPARE(file_->pattern(), QString("*.jpg"));
        openFromMenu(*file_,
                     [&](ExtensionListDialog& dialog) { reopened = namesIn(*listOf(dialog)); });
        QCOMPARE(reopened, QStringList{"*.jpg"});
    }

    void escapeDoesNothingAndEnterPressesTheFocusedButton() {
        bool openAfterEscape = false;
        QVERIFY(openFromMenu(*file_, [&](ExtensionListDialog& dialog) {
            QTest::keyClick(listOf(dialog), Qt::Key_Escape);
            QTest::keyClick(editOf(dialog), Qt::Key_Escape);
            openAfterEscape = dialog.isVisible();
            type(editOf(dialog), "gif");
            // メインへ, not the default ﾘｽﾄに追加
            QTest::keyClick(findButton(dialog, "メインへ"), Qt::Key_Return);
        }));
        QVERIFY(openAfterEscape);
        QCOMPARE(readSetting(Setting::Extensions), QString());  // confirmed before "gif" was added
        QCOMPARE(file_->pattern(), QString("*.ああ"));
    }
};

QTEST_MAIN(TestExtensionListDialog)
#include "test_extension_list_dialog.moc"
