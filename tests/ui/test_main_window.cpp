#include <QtTest>

#include "Doubles.h"
#include "Modal.h"
#include "TestFiles.h"
#include "WindowDriver.h"
#include "core/settings/Settings.h"
#include "ui/controls/Fonts.h"
#include "ui/controls/Twips.h"
#include "ui/windows/DestinationFolderDialog.h"
#include "ui/windows/ExtensionListDialog.h"
#include "ui/windows/HelpCommands.h"
#include "ui/windows/MainWindowLayout.h"

#include <QAccessible>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace {

QWidget* control(MainWindow& w, MainControl which) {
    for (const auto& place : kMainWindowLayout) {
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
    QTranslator japanese_;

private slots:
    void initTestCase() {
        installFontSubstitutions();
        setApplicationFolderForTesting(appFolder_.path());
        // The program shows Qt's own texts, the boxes' context menus among
        // them, in Japanese.
        QVERIFY(japanese_.load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                               QStringLiteral("_"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        QCoreApplication::installTranslator(&japanese_);
    }
    void cleanupTestCase() { setApplicationFolderForTesting(QString()); }

    // Every control of the three windows stands where it stood, with its
    // font, caption and the name a screen reader says. The rectangles are
    // pixels at 96 dots per inch, written out here rather than worked out
    // from the tables the windows are built from.
    void layout_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");  // object name
        QTest::addColumn<QString>("parent");   // object name
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("font");  // face (P, F), points, bold; "-": the window's own
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("name");  // what a screen reader says; null: the caption
        const auto row = [](const char* window, const char* control, const char* parent, QRect rect,
                            const char* font, const char* caption, const char* name = nullptr) {
            QTest::addRow("%s %s", window, control)
                << QString::fromLatin1(window) << QString::fromLatin1(control)
                << QString::fromLatin1(parent) << rect << QString::fromLatin1(font)
                << QString::fromUtf8(caption) << QString::fromUtf8(name ? name : caption);
        };
        row("main", "driveList", "client", {8, 6, 147, 20}, "P 9", "", "ドライブ");
        row("main", "folderList", "client", {8, 31, 147, 76}, "P 9", "", "フォルダー");
        row("main", "conversionList", "client", {8, 112, 147, 134}, "P 9.75", "",
            "変換するファイル");
        row("main", "nameFrame", "client", {165, 6, 142, 124}, "F 9 bold", "ファイル名設定");
        row("main", "prefixLabel", "nameFrame", {9, 30, 28, 16}, "F 9", "前：");
        row("main", "prefixEdit", "nameFrame", {33, 24, 100, 25}, "F 12", "", "前：");
        row("main", "startNumberLabel", "nameFrame", {3, 60, 73, 22}, "F 9", "開始番号：");
        row("main", "startNumberEdit", "nameFrame", {69, 55, 64, 25}, "F 12", "1", "開始番号：");
        row("main", "suffixLabel", "nameFrame", {9, 93, 28, 19}, "F 9", "後：");
        row("main", "suffixEdit", "nameFrame", {33, 87, 100, 25}, "F 12", "", "後：");
        row("main", "optionFrame", "client", {165, 138, 142, 67}, "F 9 bold", "オプション設定");
        row("main", "moveToFolderBox", "optionFrame", {9, 18, 124, 22}, "P 9.75",
            "保存先を変更する");
        row("main", "ownNameBox", "optionFrame", {9, 39, 127, 25}, "P 9.75", "元ﾌｧｲﾙ名＋連番");
        row("main", "convertButton", "client", {165, 210, 103, 37}, "F 12 bold", "変換");
        row("main", "clearButton", "client", {267, 210, 40, 37}, "P 9", "clear");
        row("main", "destinationButton", "client", {8, 255, 55, 19}, "P 9", "保存先");
        row("main", "destinationStrip", "client", {69, 255, 241, 19}, "P 9.75", "",
            "保存先フォルダー");
        row("extension", "extensionFrame", "extensionListDialog", {8, 7, 196, 130}, "P 9.75 bold",
            "処理する拡張子");
        row("extension", "extensionList", "extensionFrame", {12, 21, 82, 100}, "-", "",
            "処理する拡張子");
        row("extension", "extensionEdit", "extensionFrame", {102, 21, 85, 28}, "P 14.25 bold", "",
            "追加する拡張子");
        row("extension", "addButton", "extensionFrame", {102, 57, 85, 28}, "-", "ﾘｽﾄに追加");
        row("extension", "removeButton", "extensionFrame", {102, 93, 85, 28}, "-", "ﾘｽﾄから削除");
        row("extension", "doneButton", "extensionListDialog", {8, 141, 196, 28}, "P 11.25 bold",
            "メインへ");
        row("destination", "driveList", "destinationFolderDialog", {6, 6, 196, 20}, "-", "",
            "ドライブ");
        row("destination", "folderList", "destinationFolderDialog", {6, 33, 196, 146}, "-", "",
            "フォルダー");
        row("destination", "okButton", "destinationFolderDialog", {10, 186, 91, 22}, "P 9 bold",
            "OK");
        row("destination", "cancelButton", "destinationFolderDialog", {107, 186, 91, 22},
            "P 9 bold", "キャンセル");
    }
    void layout() {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, font);
        MainWindow w;
        FileList files;
        ExtensionListDialog extensions(files, &w);
        DestinationFolderDialog destination(&w);
        // The area the controls stand in, and its size.
        const std::map<QString, std::pair<QWidget*, QSize>> windows{
            {QStringLiteral("main"), {w.centralWidget(), QSize(314, 253)}},
            {QStringLiteral("extension"), {&extensions, QSize(212, 172)}},
            {QStringLiteral("destination"), {&destination, QSize(208, 209)}}};
        const auto& [area, size] = windows.at(window);
        QCOMPARE(area->size(), size);
        const auto* c = area->findChild<QWidget*>(control);
        QVERIFY(c);
        QTEST(c->parentWidget()->objectName(), "parent");
        QTEST(c->geometry(), "rect");
        const QStringList face = font.split(u' ');
        const QFont expected = font == u"-" ? area->font()
                               : face[0] == u"F"
                                   ? fixedGothic(face[1].toDouble(), face.size() > 2)
                                   : proportionalGothic(face[1].toDouble(), face.size() > 2);
        QCOMPARE(c->font().family(), expected.family());
        QCOMPARE(c->font().pointSizeF(), expected.pointSizeF());
        QCOMPARE(c->font().bold(), expected.bold());
        QTEST(shownCaption(c), "caption");
        QTEST(
            QAccessible::queryAccessibleInterface(const_cast<QWidget*>(c))->text(QAccessible::Name),
            "name");
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
                // No access keys anywhere; a check mark, a separator, a
                // shortcut or a disabled item only where the test says.
                if (a->text().contains(u'&'))
                    list << QStringLiteral("<odd>");
                if (a->isCheckable())
                    list << QString::fromLatin1(a->isChecked() ? "<checked>" : "<unchecked>");
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
        QCOMPARE(texts(menus[0]->menu()),
                 (QStringList{"拡張子...", "変換するファイル同士の名前の重なりを許す",
                              "<unchecked>", "同じ名前のファイルに同じ番号を付ける", "<unchecked>",
                              "日付ごとに開始番号から数え直す", "<unchecked>", "", "<separator>",
                              "変換を元に戻す", "Ctrl+Z", "<disabled>"}));
        QCOMPARE(texts(menus[1]->menu()),
                 (QStringList{QStringLiteral("使い方..."), QStringLiteral("ホームページ..."),
                              QStringLiteral("バージョン情報...")}));
        QCOMPARE(texts(d.listMenu()),
                 (QStringList{"リストから削除", "", "<separator>", "撮影日時順に並べる",
                              "名前順に並べる", "", "<separator>", "カメラの時計を補正..."}));
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

    // The list's menu opens by the right button at the pointer, by the Menu
    // key and Shift+F10 below the current entry, on what a desktop list
    // chooses: the entry under the pointer (or the current one) unless it is
    // selected already; nothing after a click below the entries.
    void listMenuChoosesItsEntries_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QList<int>>("selected");  // before; the first is current
        QTest::addColumn<int>("at");               // the entry clicked, or the current one
        QTest::addColumn<QList<int>>("after");
        QTest::newRow("right click, another") << "click" << QList<int>{0} << 2 << QList<int>{2};
        QTest::newRow("right click, one of two")
            << "click" << QList<int>{0, 3} << 3 << QList<int>{0, 3};
        QTest::newRow("right click, below") << "click" << QList<int>{1} << -1 << QList<int>{};
        QTest::newRow("Menu key") << "Menu" << QList<int>{0} << 4 << QList<int>{4};
        QTest::newRow("Shift+F10, one of two")
            << "F10" << QList<int>{0, 3} << 3 << QList<int>{0, 3};
    }
    void listMenuChoosesItsEntries() {
        QFETCH(QString, how);
        QFETCH(QList<int>, selected);
        QFETCH(int, at);
        QTemporaryDir folder;
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
            touch(folder.filePath(QLatin1String(name)));
        MainWindow w;
        MainWindowDriver d(w);
        d.setPatterns(QStringLiteral("*.jpg"));
        d.openFolder(folder.path());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        ConversionList* list = d.conversionList();
        const auto index = [list](int row) { return list->model()->index(row, 0); };
        list->selectionModel()->setCurrentIndex(index(how == "click" ? selected[0] : at),
                                                QItemSelectionModel::NoUpdate);
        for (const int row : selected)
            list->setRowSelected(row, true);
        QWidget* view = list->viewport();
        QPoint menuAt =
            at >= 0 ? list->visualRect(index(at)).center() : QPoint(9, view->height() - 5);
        if (how == "click") {
            QTest::mousePress(view, Qt::RightButton, {}, menuAt);
        } else if (how == "F10") {
            QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
        } else {  // as the platform reports the Menu key
            QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QCursor::pos());
            QApplication::sendEvent(list, &menuKey);
        }
        if (how != "click")
            menuAt = list->visualRect(index(at)).bottomLeft();
        QTRY_VERIFY(d.listMenu()->isVisible());
        QCOMPARE(d.listMenu()->pos(), view->mapToGlobal(menuAt));
        QList<int> nowSelected;
        for (const QModelIndex& entry : list->selectionModel()->selectedIndexes())
            nowSelected << entry.row();
        std::sort(nowSelected.begin(), nowSelected.end());
        QTEST(nowSelected, "after");
        QCOMPARE(d.menuItem(QStringLiteral("リストから削除"))->isEnabled(), !nowSelected.isEmpty());
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

    // Every text box takes the usual editing keys and its context menu, and
    // pasted text passes the box's own filter as typed text does: the start
    // number drops what is no digit, the extension box warns; the name boxes
    // keep it until 変換 refuses it.
    void editingKeys_data() {
        QTest::addColumn<QString>("box");  // its accessible name
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>(
            "keys");  // digits typed; a, c, x, v, z with Ctrl; m: menu's paste; d: its 年月日
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("warnings");
        for (const char* box : {"前：", "開始番号：", "後：", "追加する拡張子"}) {
            const auto row = [box](const char* what) -> QTestData& {
                return QTest::addRow("%s %s", box, what) << QString::fromUtf8(box);
            };
            row("select all, then type") << ""
                                         << "a5"
                                         << "5" << 0;
            row("copy, then paste twice") << ""
                                          << "acvv"
                                          << "0101" << 0;
            row("cut, then paste twice") << ""
                                         << "axvv"
                                         << "0101" << 0;
            row("undo the typing") << ""
                                   << "2z"
                                   << "01" << 0;
            row("paste from the menu") << "7"
                                       << "m"
                                       << "017" << 0;
        }
        QTest::newRow("start number pasted with letters") << "開始番号："
                                                          << "1a２-"
                                                          << "av"
                                                          << "12" << 0;
        QTest::newRow("start number, menu, letters") << "開始番号："
                                                     << "x9"
                                                     << "m"
                                                     << "019" << 0;
        QTest::newRow("extension pasted with capitals") << "追加する拡張子"
                                                        << "JPg"
                                                        << "av"
                                                        << "g" << 1;
        // A date field from the menu, in place of the selection, undone as
        // one edit; never a part of one into a box too full for it.
        QTest::newRow("prefix, date field") << "前："
                                            << ""
                                            << "d"
                                            << "01<年月日>" << 0;
        QTest::newRow("suffix, date field over all, undone") << "後："
                                                             << ""
                                                             << "adz"
                                                             << "01" << 0;
        QTest::newRow("prefix, date fields to the last that fits")
            << "前："
            << "" << QString(20, u'd') << "01" + QString("<年月日>").repeated(19) << 0;
        QTest::newRow("prefix pasted with a colon") << "前："
                                                    << "a:b"
                                                    << "av"
                                                    << "a:b" << 0;
    }
    void editingKeys() {
        QFETCH(QString, box);
        QFETCH(QString, clipboard);
        QFETCH(QString, keys);
        ScriptedMessageBox boxes;
        MainWindow w;
        FileList extensions;
        ExtensionListDialog dialog(extensions, &w);
        QWidget* window = box == "追加する拡張子" ? static_cast<QWidget*>(&dialog) : &w;
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QLineEdit* edit = findTextBox(*window, box);
        edit->setFocus();
        edit->setText(QStringLiteral("01"));
        QApplication::clipboard()->setText(clipboard);
        for (const QChar key : keys) {
            if (key.isDigit()) {
                QTest::keyClick(edit, key.toLatin1());
            } else if (key != u'm' && key != u'd') {
                // With the control character a keyboard sends along.
                QTest::sendKeyEvent(QTest::Click, edit, Qt::Key(Qt::Key_A + (key.unicode() - 'a')),
                                    QString(QChar(key.unicode() - 'a' + 1)), Qt::ControlModifier);
            } else {
                const QPoint at = edit->rect().center();
                QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, at, edit->mapToGlobal(at));
                QApplication::sendEvent(edit, &menuKey);
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QVERIFY(menu);
                QStringList items;
                for (QAction* action : menu->actions())
                    items << action->text();
                // The name boxes' menus end in the date fields' submenu.
                const bool nameBox = box == "前：" || box == "後：";
                QCOMPARE(items,
                         (QStringList{"元に戻す(&U)\tCtrl+Z", "やり直す(&R)\tCtrl+Y", "",
                                      "切り取り(&T)\tCtrl+X", "コピー(&C)\tCtrl+C",
                                      "貼り付け(&P)\tCtrl+V", "削除", "", "すべてを選択\tCtrl+A"} +
                          (nameBox ? QStringList{"", "撮影日時を挿入"} : QStringList())));
                QMenu* fields = menu->actions().back()->menu();
                if (key == u'd') {
                    items.clear();
                    for (QAction* action : fields->actions())
                        items << action->text();
                    QCOMPARE(items, (QStringList{"年月日 (20240512)", "年-月-日 (2024-05-12)",
                                                 "時分秒 (093015)"}));
                }
                (key == u'm' ? menu->actions()[5] : fields->actions()[0])->trigger();
                menu->close();
            }
        }
        QTEST(edit->text(), "after");
        QCoreApplication::processEvents();
        QTEST(int(boxes.shown.size()), "warnings");
    }

    // 変換 is the button Enter presses, and it is drawn and announced so,
    // wherever the focus has been.
    void convertIsTheDefaultButton() {
        MainWindow w;
        MainWindowDriver d(w);
        QVERIFY(d.convertButton()->isDefault());
        QVERIFY(!d.clearButton()->isDefault());
        const auto isAnnouncedDefault = [](QPushButton* button) {
            return bool(QAccessible::queryAccessibleInterface(button)->state().defaultButton);
        };
        d.moveToFolder()->setChecked(true);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (QWidget* focused :
             std::initializer_list<QWidget*>{d.drives(), d.convertButton(), d.clearButton(),
                                             d.destinationButton(), d.prefix()}) {
            focused->setFocus();
            // Drawn as the default button too, whichever control had the focus.
            QVERIFY(d.convertButton()->isDefault());
            QVERIFY(isAnnouncedDefault(d.convertButton()));
            QVERIFY(!isAnnouncedDefault(d.clearButton()));
            QVERIFY(!isAnnouncedDefault(d.destinationButton()));
        }
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
