#include <QtTest>

#include "Doubles.h"
#include "Modal.h"
#include "WindowDriver.h"
#include "core/settings/Settings.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/Twips.h"
#include "ui/windows/HelpCommands.h"
#include "ui/windows/MainWindowLayout.h"

#include <QAccessible>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

namespace {

QWidget* control(MainWindow& w, MainControl which) {
    for (const ControlLayout& place : kMainWindowLayout) {
        if (place.control == which)
            return w.findChild<QWidget*>(QLatin1String(place.objectName));
    }
    return nullptr;
}

QString shownCaption(const QWidget* c) {
    if (auto* b = qobject_cast<const QAbstractButton*>(c))
        return b->text();
    if (auto* l = qobject_cast<const QLabel*>(c))
        return l->text();
    if (auto* e = qobject_cast<const QLineEdit*>(c))
        return e->text();
    if (auto* f = qobject_cast<const QGroupBox*>(c))
        return f->title();
    return QString();
}

}  // namespace

Q_DECLARE_METATYPE(MainControl)

// The main window as the user meets it: every control where the layout puts
// it, with its caption and font, the keyboard order, the menus.
class TestMainWindow : public QObject {
    Q_OBJECT
    QTemporaryDir appFolder_;  // where the settings and the undo journal go

private slots:
    void initTestCase() {
        installFontSubstitutions();
        setApplicationFolderForTesting(appFolder_.path());
    }
    void cleanupTestCase() { setApplicationFolderForTesting(QString()); }

    // The window as built stands as its layout says, control by control.
    void layout() {
        MainWindow w;
        for (const ControlLayout& place : kMainWindowLayout) {
            QWidget* c = w.findChild<QWidget*>(QLatin1String(place.objectName));
            QVERIFY2(c, place.objectName);
            QCOMPARE(c->geometry(), twipsRect(place.left, place.top, place.width, place.height));
            if (place.parent != MainControl::Client)
                QCOMPARE(c->parentWidget(), control(w, place.parent));
            QCOMPARE(shownCaption(c), QString::fromUtf16(place.caption));
            const QString family = QString::fromUtf8(
                place.font.face == FontFace::Fixed ? kFixedGothic : kProportionalGothic);
            QCOMPARE(c->font().family(), family);
            QCOMPARE(c->font().pointSizeF(), place.font.points);
            QCOMPARE(c->font().bold(), place.font.bold);
            // Every control that takes the focus has a name a screen reader can say.
            if (c->focusPolicy() != Qt::NoFocus)
                QVERIFY2(!c->accessibleName().isEmpty(), place.objectName);
        }
    }

    void windowFrame() {
        MainWindow w;
        MainWindowDriver d(w);
        QCOMPARE(w.windowTitle(), QStringLiteral("Tolvane"));
        QCOMPARE(w.centralWidget()->size(), twipsSize(4710, 3795));
        QCOMPARE(w.minimumSize(), w.maximumSize());  // fixed border
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);
        // Drawn for the title bar and for the window switcher, not scaled up.
        QVERIFY(w.windowIcon().availableSizes().contains(QSize(16, 16)));
        QVERIFY(w.windowIcon().availableSizes().contains(QSize(256, 256)));
        QCOMPARE(w.font().family(), QString::fromUtf8(kProportionalGothic));
        QCOMPARE(w.font().pointSizeF(), 9.75);
        QCOMPARE(d.startNumber()->maxLength(), 5);
        QCOMPARE(d.prefix()->maxLength(), 100);
        QCOMPARE(d.suffix()->maxLength(), 100);
        QVERIFY(d.startNumber()->alignment() & Qt::AlignRight);
        QVERIFY(d.destinationStrip()->isScrolling());  // until its first step parks it
        // The frame titles are blue, the controls inside are not.
        const QWidget* frame = control(w, MainControl::NameFrame);
        QCOMPARE(frame->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(control(w, MainControl::StartNumberLabel)->palette().color(QPalette::WindowText) !=
                QColor(0, 0, 255));
        QVERIFY(d.prefix()->palette().color(QPalette::Text) != QColor(0, 0, 255));
    }

    void destinationRowOutOfSightAtStart() {
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.outerHeight(), 4400);
        QVERIFY(!d.destinationButton()->isVisible());
        QVERIFY(!d.destinationStrip()->isVisible());
        QVERIFY(d.destinationButton()->geometry().top() >= w.centralWidget()->height());
    }

    void menus() {
        MainWindow w;
        MainWindowDriver d(w);
        QStringList bar;
        for (QAction* a : w.menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, (QStringList{QStringLiteral("設定"), QStringLiteral("ヘルプ")}));
        auto texts = [](QMenu* m) {
            QStringList list;
            for (QAction* a : m->actions()) {
                list << a->text();
                // No access keys or check marks anywhere; a separator, a
                // shortcut or a disabled item only where the test says.
                if (a->text().contains(u'&') || a->isCheckable())
                    list << QStringLiteral("<odd>");
                if (a->isSeparator())
                    list << QStringLiteral("<separator>");
                if (!a->shortcut().isEmpty())
                    list << a->shortcut().toString();
                if (!a->isEnabled())
                    list << QStringLiteral("<disabled>");
            }
            return list;
        };
        const QList<QAction*> menus = w.menuBar()->actions();
        // The undo of the last batch is there only while a batch is recorded.
        QCOMPARE(texts(menus[0]->menu()), (QStringList{"拡張子...", "", "<separator>",
                                                       "変換を元に戻す", "Ctrl+Z", "<disabled>"}));
        QCOMPARE(texts(menus[1]->menu()),
                 (QStringList{QStringLiteral("使い方..."), QStringLiteral("ホームページ..."),
                              QStringLiteral("バージョン情報...")}));
        QCOMPARE(texts(d.listMenu()), QStringList{QStringLiteral("リストから削除")});
        QCOMPARE(d.listMenu()->title(), QStringLiteral("設定"));
        QVERIFY(!menus.contains(d.listMenu()->menuAction()));
    }

    void rightButtonOpensContextMenu() {
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mousePress(d.conversionList()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
        QTRY_VERIFY(d.listMenu()->isVisible());
        d.listMenu()->hide();
        // The left button selects; it opens no menu.
        QTest::mousePress(d.conversionList()->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(!d.listMenu()->isVisible());
    }

    void tabOrder() {
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_COMPARE(QApplication::focusWidget(), control(w, MainControl::DriveList));
        // The destination row is out of reach while it is out of sight.
        for (const MainControl next : kMainWindowTabOrder) {
            if (next == MainControl::DriveList || next == MainControl::DestinationButton ||
                next == MainControl::DestinationStrip)
                continue;
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), control(w, next));
        }
        // With the destination row in view, 保存先 comes after the suffix.
        d.moveToFolder()->setChecked(true);
        d.suffix()->setFocus();
        QTest::keyClick(d.suffix(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), d.destinationButton());
    }

    void enterPressesConvert_data() {
        QTest::addColumn<MainControl>("focus");
        QTest::addColumn<bool>("presses");
        QTest::newRow("prefix") << MainControl::PrefixEdit << true;
        QTest::newRow("start number") << MainControl::StartNumberEdit << true;
        QTest::newRow("suffix") << MainControl::SuffixEdit << true;
        QTest::newRow("check box") << MainControl::OwnNameBox << true;
        QTest::newRow("conversion list") << MainControl::ConversionList << true;
        QTest::newRow("drive list") << MainControl::DriveList << true;
        QTest::newRow("clear button presses itself") << MainControl::ClearButton << false;
        QTest::newRow("folder list opens a folder") << MainControl::FolderList << false;
    }
    void enterPressesConvert() {
        QFETCH(MainControl, focus);
        QFETCH(bool, presses);
        ScriptedMessageBox boxes;  // an empty list answers with its own box
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QSignalSpy convert(d.convertButton(), &QPushButton::clicked);
        QSignalSpy clear(d.clearButton(), &QPushButton::clicked);
        QWidget* c = control(w, focus);
        c->setFocus();
        QTest::keyClick(c, Qt::Key_Return);
        QCOMPARE(convert.count(), presses ? 1 : 0);
        if (focus == MainControl::ClearButton)
            QCOMPARE(clear.count(), 1);
    }

    // 変換 is the button Enter presses, and it is drawn and announced so.
    void convertIsTheDefaultButton() {
        MainWindow w;
        MainWindowDriver d(w);
        QVERIFY(d.convertButton()->isDefault());
        QVERIFY(!d.clearButton()->isDefault());
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(d.convertButton());
        QVERIFY(button);
        QVERIFY(button->state().defaultButton);
        QVERIFY(!QAccessible::queryAccessibleInterface(d.clearButton())->state().defaultButton);
    }

    void versionBox() {
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        d.menuItem(QStringLiteral("バージョン情報..."))->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].message, Message(QStringLiteral("バージョン　1.00")));
        QCOMPARE(boxes.shown[0].owner, &w);
    }

    void usageDocument_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("document");
        QTest::newRow("root") << "/"
                              << "/readme.html";
        QTest::newRow("folder") << "/opt/tolvane"
                                << "/opt/tolvane/readme.html";
    }
    void usageDocument() {
        QFETCH(QString, folder);
        QFETCH(QString, document);
        QCOMPARE(usageDocumentPath(folder), document);
    }

    void helpCommandsGoToTheDesktop() {
        RecordingDesktopOpen shell;
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        d.menuItem(QStringLiteral("使い方..."))->trigger();
        d.menuItem(QStringLiteral("ホームページ..."))->trigger();
        QCOMPARE(shell.targets.size(), 2);
        QCOMPARE(shell.targets[0], QCoreApplication::applicationDirPath() + "/readme.html");
        // The home page is the public address the package's metadata names.
        QFile metadata(QStringLiteral(TOLVANE_METAINFO));
        QVERIFY(metadata.open(QIODevice::ReadOnly));
        const QString xml = QString::fromUtf8(metadata.readAll());
        const QString homepage = QStringLiteral("<url type=\"homepage\">");
        const qsizetype at = xml.indexOf(homepage) + homepage.size();
        QVERIFY(at >= homepage.size());
        QCOMPARE(shell.targets[1], xml.mid(at, xml.indexOf(u'<', at) - at));
        QVERIFY(shell.targets[1].startsWith(QStringLiteral("https://")));
        // Nothing of the program's own is shown for either.
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
