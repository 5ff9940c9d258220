#include <QtTest>

#include "Doubles.h"
#include "Modal.h"
#include "TestFiles.h"
#include "WindowDriver.h"
#include "core/text/NativeName.h"

#include <QMimeData>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Qt::DropActions)

// Folders from outside the window: handed over by a later start of the
// program (MainWindow::openFromOutside, what the socket calls), or dragged in
// from a file manager. Real folders, and a scripted drive for a card.
class TestOpenFromOutside : public QObject {
    Q_OBJECT
    QTemporaryDir tree_;
    QTemporaryDir card_;
    QByteArray notUtf8_;  // 写真 in code page 932, a folder from an old archive

    QString path(const QString& relative) const { return tree_.filePath(relative); }

    // The window as the program shows it, on the folder "start".
    static void show(MainWindow& w, const QString& start) {
        MainWindowDriver d(w);
        d.setPatterns(u"*.jpg"_s);
        QCOMPARE(d.openFolder(start), FolderAccess::Opened);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
    }

private slots:
    void initTestCase() {
        for (const char* folder : {"start", "photos", "other"})
            QVERIFY(QDir(tree_.path()).mkpath(QString::fromLatin1(folder)));
        touch(path(u"photos/p1.jpg"_s));
        touch(path(u"photos/p2.jpg"_s));
        touch(path(u"other/o.jpg"_s));
        QVERIFY(QDir(card_.path()).mkpath(u"DCIM"_s));
        notUtf8_ = QFile::encodeName(tree_.path()) + "/\x8e\xca\x90\x5e";
        QCOMPARE(::mkdir(notUtf8_.constData(), 0755), 0);
    }
    void cleanupTestCase() {
        ::rmdir(notUtf8_.constData());  // QTemporaryDir does not see it
    }

    void drop_data() {
        QTest::addColumn<QByteArray>("uriList");
        QTest::addColumn<QString>("onto");
        QTest::addColumn<Qt::DropActions>("offered");
        QTest::addColumn<QString>("opens");  // empty: refused, stays on "start"
        const QByteArray root = QUrl::fromLocalFile(tree_.path()).toEncoded();
        const QByteArray card = QUrl::fromLocalFile(card_.path()).toEncoded();
        const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
        const auto row = [](const char* name, const QByteArray& uriList, const char* onto,
                            Qt::DropActions offered, const QString& opens) {
            QTest::newRow(name) << uriList << QString::fromLatin1(onto) << offered << opens;
        };
        row("folder", root + "/photos\r\n", "window", all, path(u"photos"_s));
        row("file: its folder", root + "/photos/p1.jpg\r\n", "window", all, path(u"photos"_s));
        row("first of several", root + "/other\r\n" + root + "/photos\r\n", "window", all,
            path(u"other"_s));
        row("on another drive", card + "/DCIM\r\n", "window", all, card_.filePath(u"DCIM"_s));
        row("not UTF-8", root + "/%8E%CA%90%5E\r\n", "window", all, fromNative(notUtf8_));
        row("onto the conversion list", root + "/photos\r\n", "list", all, path(u"photos"_s));
        row("onto a list that takes its own moves", root + "/photos\r\n", "reordering list", all,
            path(u"photos"_s));
        row("onto a name box", root + "/photos\r\n", "name box", all, path(u"photos"_s));
        row("web address", "https://example.org/photos\r\n", "window", all, {});
        row("another computer's file", "file://server/photos\r\n", "list", all, {});
        row("move only: never", root + "/photos\r\n", "window", Qt::MoveAction, {});
        row("empty address list", "\r\n", "window", all, {});
    }
    void drop() {
        QFETCH(QByteArray, uriList);
        QFETCH(QString, onto);
        QFETCH(Qt::DropActions, offered);
        QFETCH(QString, opens);
        ScriptedVolumes volumes;
        volumes.addDrive(card_.path());
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        show(w, path(u"start"_s));
        const QString driveBefore = d.drives()->drive();
        QWidget* control = d.drives();
        if (onto == u"name box")
            control = d.prefix();
        if (onto.endsWith(u"list"))
            control = d.conversionList()->viewport();
        // The list's own drops (moving rows within it) would stay its own.
        if (onto == u"reordering list")
            d.conversionList()->setDragDropMode(QAbstractItemView::InternalMove);
        // A file manager offers the path as text as well.
        auto data = std::make_unique<QMimeData>();
        data->setText(path(u"photos"_s));
        data->setData(u"text/uri-list"_s, uriList);

        // Through the window, as the platform delivers a drag.
        const QPoint at = control->mapTo(&w, control->rect().center());
        QDragEnterEvent enter(at, offered, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.windowHandle(), &enter);
        QDropEvent drop(at, offered, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w.windowHandle(), &drop);

        QCOMPARE(enter.isAccepted() && drop.isAccepted(), !opens.isEmpty());
        if (drop.isAccepted())
            QVERIFY(drop.dropAction() != Qt::MoveAction);  // the file manager would delete
        QCOMPARE(d.folders()->path(), opens.isEmpty() ? path(u"start"_s) : opens);
        if (onto == u"window" && !opens.isEmpty())  // its drive, as if chosen
            QCOMPARE(d.drives()->drive(),
                     opens.startsWith(card_.path()) ? card_.path() : driveBefore);
        QCOMPARE(d.prefix()->text(), QString());  // no path typed into the box
        QVERIFY(boxes.shown.isEmpty());
    }

    // The folder already open, handed over or dropped again after a file left
    // it and another came, is read again: a list that still names a file
    // that is gone stops the next batch.
    void theOpenFolderIsReadAgain_data() {
        QTest::addColumn<bool>("dropped");
        QTest::newRow("handed over") << false;
        QTest::newRow("dropped") << true;
    }
    void theOpenFolderIsReadAgain() {
        QFETCH(bool, dropped);
        QTemporaryDir folder;
        touch(folder.filePath(u"a.jpg"_s));
        MainWindow w;
        MainWindowDriver d(w);
        show(w, folder.path());
        QVERIFY(QFile::remove(folder.filePath(u"a.jpg"_s)));
        touch(folder.filePath(u"b.jpg"_s));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(folder.path())});
        if (dropped)
            QVERIFY(d.drop(data, 0, Qt::CopyAction));
        else
            w.openFromOutside(folder.path());
        QCOMPARE(d.listed(), QStringList{u"b.jpg"_s});
    }

    // A folder handed over while the extension dialog is open waits for the
    // dialog; of two, the later one opens. The window comes back from the
    // taskbar.
    void waitsForAnOpenDialog() {
        MainWindow w;
        MainWindowDriver d(w);
        show(w, path(u"start"_s));
        w.showMinimized();
        QString whileOpen;
        whenModalAppears([&](QWidget* dialog) {
            w.openFromOutside(path(u"other"_s));
            w.openFromOutside(path(u"photos"_s));
            QTest::qWait(500);
            whileOpen = d.folders()->path();
            QVERIFY(!w.isMinimized());
            dialog->close();
        });
        d.menuItem(u"拡張子..."_s)->trigger();
        QCOMPARE(whileOpen, path(u"start"_s));
        QTRY_COMPARE(d.folders()->path(), path(u"photos"_s));
        QCOMPARE(d.listed(), (QStringList{u"p1.jpg"_s, u"p2.jpg"_s}));
        // The tree's selection is the open folder, not the one it was on.
        const QList<QTreeWidgetItem*> selected = d.folders()->selectedItems();
        QVERIFY(selected.size() == 1 && selected.front()->text(0) == u"photos"_s);
    }

    // A folder handed over while a rename asks for confirmation opens after
    // the rename, which renamed the files the question was about.
    void waitsForARename() {
        ScriptedMessageBox boxes;
        QTemporaryDir batch;
        touch(batch.filePath(u"a.jpg"_s));
        MainWindow w;
        MainWindowDriver d(w);
        show(w, batch.path());
        QString whileAsking;
        boxes.onShow = [&](int) {
            w.openFromOutside(path(u"other"_s));
            whileAsking = d.folders()->path();
        };
        d.convert();
        QCOMPARE(whileAsking, batch.path());
        QCOMPARE(QDir(batch.path()).entryList(QDir::Files), QStringList{u"1.jpg"_s});
        QCOMPARE(d.folders()->path(), path(u"other"_s));
        QCOMPARE(d.listed(), QStringList{u"o.jpg"_s});
    }
};

QTEST_MAIN(TestOpenFromOutside)
#include "test_open_from_outside.moc"
