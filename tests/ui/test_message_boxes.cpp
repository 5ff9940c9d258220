#include <QtTest>

#include "Doubles.h"
#include "Inventory.h"
#include "Modal.h"
#include "TestFiles.h"
#include "WindowDriver.h"
#include "core/common/TaskProgress.h"
#include "core/settings/Settings.h"
#include "ui/services/MessageBoxes.h"
#include "ui/services/ProgramIcon.h"
#include "ui/windows/DestinationFolderDialog.h"
#include "ui/windows/ExtensionListDialog.h"
#include "ui/windows/ProgressWindow.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include <cerrno>

// The real message boxes: each kind the program uses gives the buttons, icon
// and default a desktop user expects, and each button its answer.

namespace {

Message kind(Icon icon, Buttons buttons, bool cancelIsDefault = false) {
    Message message(QStringLiteral("本文"), QString(), icon, buttons);
    message.cancelIsDefault = cancelIsDefault;
    return message;
}

// No minimise or maximise button, nor any a desktop would add (a minimised box
// left its window blocked with nothing to answer), and the program's icon.
bool hasBoxFrame(const QWidget& window) {
    const Qt::WindowFlags flags = window.windowFlags();
    return flags.testFlag(Qt::CustomizeWindowHint) &&
           !(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) &&
           window.windowIcon().pixmap(32).toImage() == programIcon().pixmap(32).toImage();
}

// The ways a box comes up, one for each place in the program that shows one.
enum class BoxPath {
    Version,                   // バージョン情報...
    EmptyList,                 // 変換 with nothing listed
    TypedRefusal,              // a forbidden character typed into 前
    QuestionAndStop,           // 変換: the question, then the stop
    UndoQuestion,              // 変換を元に戻す
    DriveNotReady,             // a drive without its medium picked in the main window
    ExtensionRefusal,          // a capital typed into the extension dialog's box
    DestinationDriveNotReady,  // the same drive picked in the destination dialog
    NoOwner,                   // a box that no window asked for
};

}  // namespace

Q_DECLARE_METATYPE(Message)
Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(BoxPath)
class TestMessageBoxes : public QObject {
    Q_OBJECT
    QTranslator japanese_;
    QTemporaryDir appFolder_;  // where the undo journal goes

private slots:
    void initTestCase() {
        QVERIFY(japanese_.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                               QStringLiteral("_"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&japanese_);
        setApplicationFolderForTesting(appFolder_.path());
    }
    void cleanupTestCase() { setApplicationFolderForTesting(QString()); }

    // A long name of Latin letters wraps inside the box, which never grows
    // wider than the screen; the text reads as it was written.
    void longNamesWrap() {
        const QString name = QString(251, u'a') + QStringLiteral(".jpg");
        const QString text = QStringLiteral("エラーによって処理できませんでした.\r\n\r\n") + name +
                             QStringLiteral(" → ") + name;
        QMessageBox box;
        QtMessageBoxService::prepare(box, Message(text));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QVERIFY(box.frameGeometry().width() <= box.screen()->availableGeometry().width());
        QVERIFY(box.width() < QFontMetrics(box.font()).horizontalAdvance(name));
        QCOMPARE(box.text().remove(QChar(0x200B)), text);
    }

    void kinds_data() {
        QTest::addColumn<Message>("message");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("defaultButton");
        QTest::addColumn<QString>("escapeButton");
        const QString ok = QStringLiteral("OK");
        const QString cancel = QStringLiteral("キャンセル");
        const QString retry = QStringLiteral("再試行");
        QTest::newRow("OK") << kind(Icon::None, Buttons::Ok) << QStringList{ok}
                            << int(QMessageBox::NoIcon) << ok << ok;
        QTest::newRow("OK, error") << kind(Icon::Error, Buttons::Ok) << QStringList{ok}
                                   << int(QMessageBox::Critical) << ok << ok;
        QTest::newRow("OK, warning") << kind(Icon::Warning, Buttons::Ok) << QStringList{ok}
                                     << int(QMessageBox::Warning) << ok << ok;
        QTest::newRow("Retry/Cancel")
            << kind(Icon::None, Buttons::RetryCancel) << QStringList{retry, cancel}
            << int(QMessageBox::NoIcon) << retry << cancel;
        QTest::newRow("OK/Cancel, question, Cancel default")
            << kind(Icon::Question, Buttons::OkCancel, true) << QStringList{ok, cancel}
            << int(QMessageBox::Question) << cancel << cancel;
        QTest::newRow("OK/Cancel") << kind(Icon::None, Buttons::OkCancel) << QStringList{ok, cancel}
                                   << int(QMessageBox::NoIcon) << ok << cancel;
    }
    void kinds() {
        QFETCH(Message, message);
        QFETCH(QStringList, buttons);
        QFETCH(int, icon);
        QFETCH(QString, defaultButton);
        QFETCH(QString, escapeButton);
        QMessageBox box;
        QtMessageBoxService::prepare(box, message);
        QCOMPARE(box.windowTitle(), QStringLiteral("Tolvane"));  // an empty title
        QCOMPARE(box.text(), QStringLiteral("本文"));
        QCOMPARE(int(box.icon()), icon);
        QStringList shown;
        for (QAbstractButton* b : box.buttons())
            shown << b->text().remove(QLatin1Char('&'));
        shown.sort();
        buttons.sort();
        QCOMPARE(shown, buttons);
        QCOMPARE(box.defaultButton()->text().remove(QLatin1Char('&')), defaultButton);
        QVERIFY(box.escapeButton());
        QCOMPARE(box.escapeButton()->text().remove(QLatin1Char('&')), escapeButton);
        QVERIFY(hasBoxFrame(box));
    }

    void progressWindowHasTheBoxFrame() {
        TaskProgress progress;
        const ProgressWindow window(
            nullptr, QStringLiteral("ファイル名変更"), 1, progress, [](int) { return QString(); },
            [] { return false; });
        QVERIFY(hasBoxFrame(window));
    }

    void answers_data() {
        QTest::addColumn<Message>("message");
        QTest::addColumn<int>("button");
        QTest::addColumn<Answer>("answer");
        const Message okOnly = kind(Icon::Warning, Buttons::Ok);
        const Message question = kind(Icon::Question, Buttons::OkCancel, true);
        const Message retry = kind(Icon::None, Buttons::RetryCancel);
        QTest::newRow("OK") << kind(Icon::None, Buttons::Ok) << int(QMessageBox::Ok) << Answer::Ok;
        QTest::newRow("OK of OK/Cancel") << question << int(QMessageBox::Ok) << Answer::Ok;
        QTest::newRow("Cancel of OK/Cancel")
            << question << int(QMessageBox::Cancel) << Answer::Cancel;
        QTest::newRow("Retry") << retry << int(QMessageBox::Retry) << Answer::Retry;
        QTest::newRow("Cancel of Retry/Cancel")
            << retry << int(QMessageBox::Cancel) << Answer::Cancel;
        QTest::newRow("Escape of OK/Cancel") << question << -1 << Answer::Cancel;
        QTest::newRow("Escape of OK only") << okOnly << -1 << Answer::Ok;
    }
    void answers() {
        QFETCH(Message, message);
        QFETCH(int, button);
        QFETCH(Answer, answer);
        message.title = QStringLiteral("注意");
        QString title;
        whenModalAppears([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            title = box->windowTitle();
            if (button < 0)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(QMessageBox::StandardButton(button))->click();
        });
        QCOMPARE(showMessage(nullptr, message), answer);
        QCOMPARE(title, QStringLiteral("注意"));
    }

    // Every box belongs to the window whose action opened it, the main window
    // where no window did, even when no window is active: on Wayland a box
    // given to no window may come up away from it, or behind it.
    void everyBoxHasItsWindow_data() {
        QTest::addColumn<BoxPath>("path");
        QTest::addColumn<QString>("owner");  // the window's object name
        const QString main = QStringLiteral("mainWindow");
        QTest::newRow("version") << BoxPath::Version << main;
        QTest::newRow("empty list") << BoxPath::EmptyList << main;
        QTest::newRow("typed refusal") << BoxPath::TypedRefusal << main;
        QTest::newRow("question and stop") << BoxPath::QuestionAndStop << main;
        QTest::newRow("undo question") << BoxPath::UndoQuestion << main;
        QTest::newRow("drive not ready") << BoxPath::DriveNotReady << main;
        QTest::newRow("extension refusal") << BoxPath::ExtensionRefusal << "extensionListDialog";
        QTest::newRow("destination's drive")
            << BoxPath::DestinationDriveNotReady << "destinationFolderDialog";
        QTest::newRow("no owner") << BoxPath::NoOwner << main;
    }
    void everyBoxHasItsWindow() {
        QFETCH(BoxPath, path);
        QFETCH(QString, owner);
        QTemporaryDir photos;
        QTemporaryDir card;
        ScriptedVolumes volumes;
        volumes.addDrive(card.path(), ENOMEDIUM);
        ScriptedMessageBox boxes;
        if (path == BoxPath::DriveNotReady || path == BoxPath::DestinationDriveNotReady)
            boxes.answer(Answer::Cancel);  // not Retry, again and again
        QStringList owners;                // while the box is up: a dialog is gone afterwards
        boxes.onShow = [&](int) {
            const QWidget* window = boxes.shown.back().owner;
            owners << (window ? window->objectName() : QStringLiteral("none"));
        };
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QApplication::setActiveWindow(nullptr);
        removeAllJournals();
        for (const char* name : {"p1.jpg", "p2.jpg"})
            writeWhole(QFile::encodeName(photos.filePath(name)), name);
        d.setPatterns(QStringLiteral("*.jpg"));
        QCOMPARE(d.openFolder(photos.path()), FolderAccess::Opened);
        // In the dialog the step opens, as a person would act there.
        const auto inTheDialog = [](std::function<void(QWidget&)> act) {
            whenModalAppears([act](QWidget* window) {
                QApplication::setActiveWindow(nullptr);
                act(*window);
                QCoreApplication::processEvents();
                window->close();
            });
        };
        switch (path) {
            case BoxPath::Version:
                d.menuItem(QStringLiteral("バージョン情報..."))->trigger();
                break;
            case BoxPath::EmptyList:
                d.setPatterns(QStringLiteral("*.none"));
                d.convert();
                break;
            case BoxPath::TypedRefusal:
                QTest::keyClick(d.prefix(), ':');
                QCoreApplication::processEvents();
                break;
            case BoxPath::QuestionAndStop:
            case BoxPath::UndoQuestion:
                d.prefix()->setText(QStringLiteral("p"));
                // From 2, p1.jpg would take the name p2.jpg holds: a stop.
                d.startNumber()->setText(path == BoxPath::UndoQuestion ? "3" : "2");
                d.convert();
                if (path == BoxPath::UndoQuestion)
                    d.menuItem(QStringLiteral("変換を元に戻す"))->trigger();
                QCOMPARE(boxes.shown.size(), 2);
                break;
            case BoxPath::DriveNotReady:
                d.drives()->setDrive(card.path());
                break;
            case BoxPath::ExtensionRefusal:
                inTheDialog([](QWidget& window) {
                    QTest::keyClick(findTextBox(window, QStringLiteral("追加する拡張子")), 'A');
                });
                d.menuItem(QStringLiteral("拡張子..."))->trigger();
                break;
            case BoxPath::DestinationDriveNotReady:
                d.moveToFolder()->setChecked(true);
                inTheDialog(
                    [&](QWidget& window) { findOnly<DriveList>(window)->setDrive(card.path()); });
                d.destinationButton()->click();
                break;
            case BoxPath::NoOwner:
                showMessage(nullptr, Message(QStringLiteral("本文")));
                break;
        }
        QVERIFY(!owners.isEmpty());
        QCOMPARE(owners, QStringList(owners.size(), owner));
    }

    // The real box that no window asked for: a child of the main window, and
    // drawn over it, not over the window that happens to be active.
    void realBoxHasTheMainWindow() {
        MainWindow w;
        QWidget other;
        for (QWidget* window : {static_cast<QWidget*>(&w), &other}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
        }
        QApplication::setActiveWindow(&other);
        QWidget* parent = nullptr;
        QWindow* drawnOver = nullptr;
        whenModalAppears([&](QWidget* modal) {
            parent = modal->parentWidget();
            drawnOver = modal->windowHandle()->transientParent();
            modal->close();
        });
        showMessage(nullptr, Message(QStringLiteral("本文")));
        QCOMPARE(parent, &w);
        QCOMPARE(drawnOver, w.windowHandle());
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"
