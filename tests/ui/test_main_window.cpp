#include <QtTest>

#include "Doubles.h"
#include "Modal.h"
#include "ui/help/HelpMenu.h"
#include "ui/main/Tolvane.h"
#include "ui/platform/DriveList.h"
#include "ui/platform/FolderList.h"
#include "ui/platform/Fonts.h"
#include "ui/platform/ListBox.h"
#include "ui/platform/Timer.h"
#include "ui/platform/Twips.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>

// The main window as the user meets it: every control where the layout puts
// it, with its caption and font, the keyboard order, the menus.
class TestMainWindow : public QObject {
    Q_OBJECT
private:
    QWidget* control(Tolvane& w, const QString& name) {
        if (name == QLatin1String("Tolvane"))
            return &w;
        return w.findChild<QWidget*>(name);
    }

private slots:
    void initTestCase() { installFontSubstitutions(); }

    void layout_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("family");
        QTest::addColumn<double>("points");
        QTest::addColumn<bool>("bold");
        const QString pg = QString::fromUtf8(kProportionalGothic);
        const QString g = QString::fromUtf8(kFixedGothic);
        auto row = [&](const char* name, int l, int t, int w, int h, const char* caption,
                       const QString& family, double pt, bool bold) {
            QTest::newRow(name) << QString::fromLatin1(name) << QRect(l, t, w, h)
                                << QString::fromUtf8(caption) << family << pt << bold;
        };
        row("Drive", 120, 97, 2205, 300, "", pg, 9, false);
        row("Folder", 120, 472, 2205, 1140, "", pg, 9, false);
        row("List", 120, 1687, 2205, 2010, "", pg, 9.75, false);
        row("Name_Frame", 2475, 90, 2130, 1860, "ファイル名設定", g, 9, true);
        row("Label2(0)", 135, 450, 420, 240, "前：", g, 9, false);
        row("Text(0)", 495, 360, 1500, 375, "", g, 12, false);
        row("Label1", 45, 900, 1095, 330, "開始番号：", g, 9, false);
        row("Text(2)", 1035, 825, 960, 375, "1", g, 12, false);
        row("Label2(1)", 135, 1395, 420, 285, "後：", g, 9, false);
        row("Text(1)", 495, 1305, 1500, 375, "", g, 12, false);
        row("Option_Frame", 2475, 2070, 2130, 1005, "オプション設定", g, 9, true);
        row("CHECK(0)", 135, 270, 1860, 330, "保存先を変更する", pg, 9.75, false);
        row("CHECK(1)", 135, 585, 1905, 375, "元ﾌｧｲﾙ名＋連番", pg, 9.75, false);
        row("HENKAN", 2475, 3150, 1545, 555, "変換", g, 12, true);
        row("CLEAR", 4005, 3150, 600, 555, "clear", pg, 9, false);
        row("HOZON", 120, 3825, 825, 285, "保存先", pg, 9, false);
        row("Picture", 1035, 3825, 3615, 285, "", QString(), 0, false);
    }
    void layout() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        QFETCH(QString, caption);
        QFETCH(QString, family);
        QFETCH(double, points);
        QFETCH(bool, bold);
        Tolvane w;
        QWidget* c = control(w, name);
        QVERIFY2(c, qPrintable(name));
        QCOMPARE(c->geometry(), twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
        QString shown;
        if (auto* b = qobject_cast<QAbstractButton*>(c))
            shown = b->text();
        else if (auto* l = qobject_cast<QLabel*>(c))
            shown = l->text();
        else if (auto* e = qobject_cast<QLineEdit*>(c))
            shown = e->text();
        else if (auto* f = qobject_cast<QGroupBox*>(c))
            shown = f->title();
        QCOMPARE(shown, caption);
        if (!family.isEmpty()) {
            QCOMPARE(c->font().family(), family);
            QCOMPARE(c->font().pointSizeF(), points);
            QCOMPARE(c->font().bold(), bold);
        }
        // Every control that takes the focus has a name a screen reader can say.
        if (c->focusPolicy() != Qt::NoFocus)
            QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(name));
    }

    void windowFrame() {
        Tolvane w;
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
        QCOMPARE(w.Text[2]->maxLength(), 5);
        QCOMPARE(w.Text[0]->maxLength(), 100);
        QCOMPARE(w.Text[1]->maxLength(), 100);
        QVERIFY(w.Text[2]->alignment() & Qt::AlignRight);
        QCOMPARE(w.Timer1->Interval(), 100);
        // The frame titles are blue, the controls inside are not.
        QCOMPARE(w.Name_Frame->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QVERIFY(w.Label1->palette().color(QPalette::WindowText) != QColor(0, 0, 255));
        QVERIFY(w.Text[0]->palette().color(QPalette::Text) != QColor(0, 0, 255));
    }

    void destinationRowOutOfSightAtStart() {
        Tolvane w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.outerHeight(), 4400);
        QVERIFY(!w.HOZON->isVisible());
        QVERIFY(!w.Picture->isVisible());
        QVERIFY(w.HOZON->geometry().top() >= w.centralWidget()->height());
    }

    void menus() {
        Tolvane w;
        QStringList bar;
        for (QAction* a : w.menuBar()->actions())
            bar << a->text();
        QCOMPARE(bar, (QStringList{QStringLiteral("設定"), QStringLiteral("ヘルプ")}));
        auto texts = [](QMenu* m) {
            QStringList list;
            for (QAction* a : m->actions()) {
                list << a->text();
                // No shortcuts, separators or check marks anywhere.
                if (a->isSeparator() || a->isCheckable() || !a->shortcut().isEmpty() ||
                    !a->isEnabled())
                    list << QStringLiteral("<odd>");
            }
            return list;
        };
        QCOMPARE(texts(w.SETEI), QStringList{QStringLiteral("拡張子...")});
        QCOMPARE(texts(w.HELP),
                 (QStringList{QStringLiteral("使い方..."), QStringLiteral("ホームページ..."),
                              QStringLiteral("バージョン情報...")}));
        QCOMPARE(texts(w.SETEI2), QStringList{QStringLiteral("リストから削除")});
        QVERIFY(!w.menuBar()->actions().contains(w.SETEI2->menuAction()));
    }

    void rightButtonOpensContextMenu() {
        Tolvane w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTest::mousePress(w.List->viewport(), Qt::RightButton, {}, QPoint(20, 20));
        QTRY_VERIFY(w.SETEI2->isVisible());
        w.SETEI2->hide();
        // The left button selects; it opens no menu.
        QTest::mousePress(w.List->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(!w.SETEI2->isVisible());
    }

    void tabOrder() {
        Tolvane w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.Drive));
        const QList<QWidget*> expected = {w.Folder, w.Text[0],  w.Text[2],  w.Text[1], w.HENKAN,
                                          w.CLEAR,  w.CHECK[0], w.CHECK[1], w.List};
        for (QWidget* next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // With the destination row in view, HOZON comes after the suffix.
        w.CHECK[0]->setChecked(true);
        w.Text[1]->setFocus();
        QTest::keyClick(w.Text[1], Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w.HOZON));
    }

    void enterPressesHenkan_data() {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("presses");
        QTest::newRow("prefix") << "Text(0)" << true;
        QTest::newRow("start number") << "Text(2)" << true;
        QTest::newRow("suffix") << "Text(1)" << true;
        QTest::newRow("check box") << "CHECK(1)" << true;
        QTest::newRow("conversion list") << "List" << true;
        QTest::newRow("drive list") << "Drive" << true;
        QTest::newRow("clear button presses itself") << "CLEAR" << false;
        QTest::newRow("folder list opens a folder") << "Folder" << false;
    }
    void enterPressesHenkan() {
        QFETCH(QString, focus);
        QFETCH(bool, presses);
        ScriptedMessageBox boxes;  // an empty list answers with its own box
        Tolvane w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QSignalSpy henkan(w.HENKAN, &QPushButton::clicked);
        QSignalSpy clear(w.CLEAR, &QPushButton::clicked);
        QWidget* c = control(w, focus);
        c->setFocus();
        QTest::keyClick(c, Qt::Key_Return);
        QCOMPARE(henkan.count(), presses ? 1 : 0);
        if (focus == QLatin1String("CLEAR"))
            QCOMPARE(clear.count(), 1);
    }

    void versionBox() {
        ScriptedMessageBox boxes;
        Tolvane w;
        MSG_RESULT.clear();
        w.VER->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].prompt, QStringLiteral("バージョン　1.00"));
        QCOMPARE(boxes.shown[0].code, 0);
        QCOMPARE(boxes.shown[0].title, QString());
        QCOMPARE(MSG_RESULT, QStringLiteral("1"));
    }

    void usageDocument_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("document");
        QTest::newRow("root") << "/"
                              << "/readme.html";
        QTest::newRow("folder") << "/opt/tolvane"
                                << "/opt/tolvane/readme.html";
        QTest::newRow("drive root") << "C:/"
                                    << "C:/readme.html";
    }
    void usageDocument() {
        QFETCH(QString, folder);
        QFETCH(QString, document);
        QCOMPARE(usageDocumentPath(folder), document);
    }

    void helpCommandsGoToTheDesktop() {
        RecordingShellOpen shell;
        ScriptedMessageBox boxes;
        Tolvane w;
        w.USE->trigger();
        w.HP->trigger();
        QCOMPARE(shell.targets.size(), 2);
        QCOMPARE(shell.targets[0], QCoreApplication::applicationDirPath() + "/readme.html");
        QCOMPARE(shell.folders[0], QCoreApplication::applicationDirPath());
        QCOMPARE(shell.targets[1], homePageTarget(QCoreApplication::applicationDirPath()));
        // The home page is a page that exists: the document beside the program.
        QVERIFY(QFileInfo::exists(shell.targets[1]));
        // Nothing of the program's own is shown for either.
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
