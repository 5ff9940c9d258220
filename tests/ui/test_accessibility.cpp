#include <QtTest>

#include "AccessibleEvents.h"
#include "Doubles.h"
#include "Modal.h"
#include "TestFiles.h"
#include "WindowDriver.h"
#include "core/settings/Settings.h"
#include "ui/windows/ExtensionListDialog.h"

#include <QMenu>
#include <QMessageBox>
#include <QTextEdit>

#include <qpa/qwindowsysteminterface.h>

#include <functional>

namespace {

QAccessibleInterface* iface(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// Gives w the focus as Tab does and lets what is reported after it come out.
void focus(QWidget* w) {
    QApplication::setActiveWindow(w->window());
    w->setFocus(Qt::TabFocusReason);
    QTRY_VERIFY(w->hasFocus());
    QCoreApplication::processEvents();
}

void key(Qt::Key k) {
    QTest::keyClick(QApplication::focusWidget(), k);
    QCoreApplication::processEvents();
}

QString textOf(QAccessibleInterface* i) {
    return i->textInterface()->text(0, i->textInterface()->characterCount());
}

// The main window on a folder "photos" (three pictures, sub1 holding a
// folder, sub2 empty), with a card drive after the system's drives.
struct Scene {
    struct Card {
        Card() { volumes.addDrive(dir.path()); }
        QTemporaryDir dir;
        ScriptedVolumes volumes;
    } card;
    QTemporaryDir dir;
    MainWindow w;
    MainWindowDriver d{w};
    QList<Heard> inDialog;  // what was heard in a dialog, before it closed

    Scene() {
        QDir(dir.path()).mkpath(QStringLiteral("photos/sub1/inner"));
        QDir(dir.path()).mkpath(QStringLiteral("photos/sub2"));
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            touch(photos() + u'/' + QLatin1String(name));
        d.setPatterns(QStringLiteral("*.jpg"));
        d.openFolder(photos());
        w.show();
        focus(d.drives());
    }
    QString photos() const { return dir.filePath(QStringLiteral("photos")); }
    // Runs act in the next dialog, keeps what was heard there, closes it.
    void inNextDialog(std::function<void(QWidget&)> act) {
        whenModalAppears([this, act](QWidget* dialog) {
            act(*dialog);
            inDialog = heard;
            dialog->close();
        });
    }
};

}  // namespace

// What a screen reader hears, through Qt's accessibility interfaces and the
// events they send, on the offscreen platform.
class TestAccessibility : public QObject {
    Q_OBJECT
    QTemporaryDir appFolder_;  // settings and the undo journal

private slots:
    void initTestCase() {
        setApplicationFolderForTesting(appFolder_.path());
        startHearing();
    }
    void cleanupTestCase() { setApplicationFolderForTesting(QString()); }

    // A keyboard user through every window. After each step: the control or
    // entry last reported focused, the notifications, and no interface a
    // screen reader was told of broken while its control is still there.
    void heardThroughEveryWindow() {
        Scene s;
        QList<Heard> held;  // what a screen reader was told of so far
        // focused "*": not looked at.
        const auto heardAfter = [&](const std::function<void()>& step, const QString& focused,
                                    const QStringList& notified = {}) {
            heard.clear();
            s.inDialog.clear();
            step();
            held += heard;
            const QList<Heard> said = s.inDialog.isEmpty() ? heard : s.inDialog;
            if (focused != u"*")
                QCOMPARE(lastFocus(said).name, focused);
            QCOMPARE(notifications(said), notified);
            QCOMPARE(brokenHeld(held), QStringList());
            // No folder entry says it has the focus that another control has
            // (after clear, a screen reader asking for the focus got two).
            QAccessibleInterface* folders = iface(s.d.folders());
            for (int k = 0; k < folders->childCount() && !s.d.folders()->hasFocus(); ++k)
                QVERIFY2(!folders->child(k)->state().focused,
                         qPrintable(folders->child(k)->text(QAccessible::Name)));
        };
        DriveList* drives = s.d.drives();
        // The focus is on the drive list: only the drive is said.
        heardAfter([] { key(Qt::Key_End); }, "", {drives->itemText(drives->count() - 1)});
        heardAfter([] { key(Qt::Key_Home); }, "", {QDir::rootPath()});
        QCOMPARE(s.d.folders()->path(), s.photos());
        heardAfter([&] { focus(s.d.folders()); }, "photos（開いているフォルダー）");
        heardAfter([] { key(Qt::Key_Down), key(Qt::Key_Return); }, "sub1", {"sub1 を開きました"});
        heardAfter([] { key(Qt::Key_Up), key(Qt::Key_Return); }, "photos", {"photos を開きました"});
        // A folder handed over is heard as one opened here, the open one too;
        // once where the tree says so itself (its entry was current).
        heardAfter([] { key(Qt::Key_Down); }, "sub1");
        heardAfter([&] { s.w.openFromOutside(s.photos() + "/sub1"); }, "*", {"sub1 を開きました"});
        heardAfter([&] { s.w.openFromOutside(s.photos() + "/sub1"); }, "*", {"sub1 を開きました"});
        heardAfter([&] { s.w.openFromOutside(s.photos()); }, "*", {"photos を開きました"});
        heardAfter([&] { focus(s.d.clearButton()), key(Qt::Key_Space); }, "clear");
        heardAfter([] { key(Qt::Key_Return); }, "");
        heardAfter([&] { focus(s.d.conversionList()); }, "a.jpg");
        heardAfter([] { key(Qt::Key_Down), key(Qt::Key_Delete); }, "a.jpg");  // b.jpg went
        heardAfter(
            [&] {
                focus(s.d.startNumber());
                QTest::sendKeyEvent(QTest::Click, s.d.startNumber(), Qt::Key_unknown, "x", {});
            },
            "開始番号：", {"数字のみ入力できます"});
        s.d.moveToFolder()->setChecked(true);
        heardAfter(
            [&] {
                s.inNextDialog([](QWidget& dialog) {
                    focus(findOnly<FolderList>(dialog));
                    key(Qt::Key_Down), key(Qt::Key_Return);
                });
                s.d.destinationButton()->click();
            },
            "sub1", {"sub1 を開きました"});
        heardAfter(
            [&] {
                s.inNextDialog([](QWidget& dialog) {
                    QTRY_VERIFY(findOnly<NameList>(dialog)->hasFocus());
                    QCoreApplication::processEvents();
                });
                ExtensionListDialog::openForFirstRun(&s.w, *s.d.files());
            },
            "*.jpg");
        heardAfter(
            [&] {
                s.inNextDialog([](QWidget& dialog) {
                    findTextBox(dialog, QStringLiteral("追加する拡張子"))->setText("png");
                    findButton(dialog, QStringLiteral("ﾘｽﾄに追加"))->click();
                    findOnly<NameList>(dialog)->setRowSelected(0, true);  // *.jpg
                    focus(findButton(dialog, QStringLiteral("ﾘｽﾄから削除")));
                    key(Qt::Key_Space);
                });
                ExtensionListDialog::openForFirstRun(&s.w, *s.d.files());
            },
            "ﾘｽﾄから削除", {"*.png"});
        // The clock dialog: each box says whose clock and which unit it is.
        heardAfter(
            [&] {
                s.inNextDialog([](QWidget&) { key(Qt::Key_Tab), key(Qt::Key_Tab); });
                s.d.menuItem(QStringLiteral("カメラの時計を補正..."))->trigger();
            },
            "カメラ情報なし 時間");
        // The question: its details opened by keyboard are said to have
        // opened, and they are heard by their name. Closed unanswered.
        QString detailsName;
        heardAfter(
            [&] {
                s.inNextDialog([&detailsName](QWidget& dialog) {
                    detailsName = iface(findOnly<QTextEdit>(dialog))->text(QAccessible::Name);
                    focus(findButton(dialog, QMessageBox::tr("Show Details...")));
                    key(Qt::Key_Space);
                });
                s.d.startNumber()->setText("1");  // the refused letter left it empty
                s.d.convertButton()->click();
            },
            "*", {"変換後の名前を表示しました"});
        QCOMPARE(detailsName, "変換後の名前");
        QCOMPARE(s.d.listed(), (QStringList{"a.jpg", "c.jpg"}));  // nothing renamed
    }

    // F10, and Alt pressed and let go, reach the menu bar from the list and
    // the text boxes, also when a screen reader's bridge delivers Alt again
    // after the real key (after its release, or before it); Down then goes
    // into 設定.
    void menuBarFromEveryControl_data() {
        QTest::addColumn<QString>("control");  // object name
        QTest::addColumn<QString>("keys");     // from the platform; "again": the bridge's copy
        const char* const rows[][3] = {
            {"list, F10", "conversionList", "F10"},
            {"prefix, F10", "prefixEdit", "F10"},
            {"prefix, Alt", "prefixEdit", "press release"},
            {"list, Alt again after the release", "conversionList",
             "press release again-press again-release"},
            {"list, Alt again before the release", "conversionList",
             "press again-press release again-release"},
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
    }
    void menuBarFromEveryControl() {
        QFETCH(QString, control);
        QFETCH(QString, keys);
        Scene s;
        focus(s.w.findChild<QWidget*>(control));
        QWindow* window = s.w.windowHandle();
        // The platform gives the modifiers held before the key; the bridge's
        // copy, those the key leaves.
        const auto real = [window](QEvent::Type type, int key, Qt::KeyboardModifiers held) {
            QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(
                window, type, key, held);
        };
        for (const QString& k : keys.split(u' ')) {
            const QEvent::Type type = k.endsWith("release") ? QEvent::KeyRelease : QEvent::KeyPress;
            const bool press = type == QEvent::KeyPress;
            if (k == "F10") {
                real(type, Qt::Key_F10, {});
            } else if (!k.startsWith("again")) {
                real(type, Qt::Key_Alt, press ? Qt::NoModifier : Qt::AltModifier);
            } else {
                QKeyEvent again(type, Qt::Key_Alt, press ? Qt::AltModifier : Qt::NoModifier);
                QApplication::sendEvent(window, &again);
            }
        }
        real(QEvent::KeyPress, Qt::Key_Down, {});
        QMenu* settings = s.w.menuBar()->actions().constFirst()->menu();
        QTRY_VERIFY(settings->isVisible() && settings->activeAction());
        QCOMPARE(settings->activeAction()->text(), QStringLiteral("拡張子..."));
        settings->hide();
    }

    void whatControlsAre() {
        Scene s;
        // The drive list: its purpose as its name, the drive as its value.
        const auto heardAs = [](QWidget* w) {
            return iface(w)->text(QAccessible::Name) + u':' + textOf(iface(w));
        };
        QCOMPARE(heardAs(s.d.drives()), "ドライブ:" + s.d.drives()->currentText());

        // Folder entries: their real state and their level ("/" is 1).
        QStringList entries;
        QAccessibleInterface* list = iface(s.d.folders());
        for (int k = 0; k < list->childCount(); ++k) {
            const QAccessible::State state = list->child(k)->state();
            entries << list->child(k)->text(QAccessible::Name) +
                           (state.expanded     ? " expanded"
                            : state.expandable ? " collapsed"
                                               : "") +
                           ", " + list->child(k)->text(QAccessible::Description);
        }
        const int level = int(s.photos().count(u'/')) + 1;
        QVERIFY(entries.contains("/ expanded, レベル 1"));
        QCOMPARE(
            entries.mid(entries.size() - 3),
            (QStringList{QString("photos（開いているフォルダー） expanded, レベル %1").arg(level),
                         QString("sub1 collapsed, レベル %1").arg(level + 1),
                         QString("sub2, レベル %1").arg(level + 1)}));

        // The destination: a read-only text named 保存先フォルダー; a new one
        // is sent as a text change, and said with the button that chose it.
        s.d.moveToFolder()->setChecked(true);
        QWidget* strip = s.d.destinationStrip();
        QCOMPARE(iface(strip)->role(), QAccessible::EditableText);
        QVERIFY(iface(strip)->state().readOnly);
        QCOMPARE(heardAs(strip), "保存先フォルダー:" + s.photos());
        heard.clear();
        QString dialogDrives;
        whenModalAppears([&](QWidget* dialog) {
            dialogDrives = heardAs(findOnly<DriveList>(*dialog));
            findOnly<FolderList>(*dialog)->setPath(s.photos() + "/sub1");
            findButton(*dialog, QStringLiteral("OK"))->click();
        });
        s.d.destinationButton()->click();
        QVERIFY(dialogDrives.startsWith("ドライブ:"));
        QCOMPARE(heardAs(strip), "保存先フォルダー:" + s.photos() + "/sub1");
        QVERIFY(std::any_of(heard.cbegin(), heard.cend(), [&](const Heard& h) {
            return h.type == QAccessible::TextUpdated && h.object == strip;
        }));
        QCOMPARE(iface(s.d.destinationButton())->text(QAccessible::Description),
                 s.photos() + "/sub1");
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
