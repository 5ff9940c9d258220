#include <QtTest>

#include "Doubles.h"
#include "Modal.h"
#include "TestFiles.h"
#include "WindowDriver.h"
#include "core/text/Paths.h"
#include "ui/controls/Twips.h"
#include "ui/windows/DestinationFolderDialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cerrno>

// Walking folders and building the conversion list, on real folders.
class TestBrowsing : public QObject {
    Q_OBJECT
private slots:
    void conversionListFollowsTheFolder() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("empty"));
        for (const char* name :
             {"IMG_2.JPG", "img_10.jpg", "IMG_1.jpg", "a.JPG", "A.jpg", "notes.txt", ".hidden.jpg"})
            touch(dir.filePath(QString::fromLatin1(name)));
        QDir(dir.path()).mkpath(QStringLiteral("folder.jpg"));
        MainWindow w;
        MainWindowDriver d(w);
        d.files()->setPattern(QStringLiteral("*.jpg"));
        QCOMPARE(d.folders()->setPath(dir.path()), FolderAccess::Opened);
        // Natural, total order: the order the serial numbers will follow.
        QCOMPARE(d.listed(),
                 (QStringList{"A.jpg", "a.JPG", "IMG_1.jpg", "IMG_2.JPG", "img_10.jpg"}));
        QCOMPARE(w.destination(), dir.path());
        QCOMPARE(d.folders()->setPath(dir.filePath(QStringLiteral("empty"))), FolderAccess::Opened);
        QCOMPARE(d.conversionList()->count(), 0);
    }

    void namesThatAreNotUtf8KeepTheirBytes() {
        ScratchFolder dir;
        const QByteArray sjis("\x8e\xca\x90\x5e.jpg");  // 写真.jpg written by an old camera tool
        const QByteArray path = QFile::encodeName(dir.path()) + "/" + sjis;
        QFile f;
        FILE* raw = fopen(path.constData(), "w");
        QVERIFY(raw);
        fclose(raw);
        MainWindow w;
        MainWindowDriver d(w);
        d.files()->setPattern(QStringLiteral("*.jpg"));
        d.folders()->setPath(dir.path());
        QCOMPARE(d.conversionList()->count(), 1);
        QCOMPARE(d.conversionList()->shots()[0].first().name, sjis);
        QCOMPARE(d.conversionList()->text(0), QStringLiteral("写真.jpg"));
    }

    void labelFollowsTheFolderOnlyWithoutDestination() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("a"));
        QDir(dir.path()).mkpath(QStringLiteral("b"));
        MainWindow w;
        MainWindowDriver d(w);
        d.folders()->setPath(dir.filePath(QStringLiteral("a")));
        QCOMPARE(w.destination(), dir.filePath(QStringLiteral("a")));
        d.moveToFolder()->setChecked(true);
        d.folders()->setPath(dir.filePath(QStringLiteral("b")));
        QCOMPARE(w.destination(), dir.filePath(QStringLiteral("a")));
        // Unticking changes nothing by itself; the next folder change does.
        d.moveToFolder()->setChecked(false);
        QCOMPARE(w.destination(), dir.filePath(QStringLiteral("a")));
        d.folders()->setPath(dir.path());
        QCOMPARE(w.destination(), dir.path());
    }

    void longDestinationScrolls() {
        MainWindow w;
        PathStrip& strip = *MainWindowDriver(w).destinationStrip();
        const QString longPath = QStringLiteral("/") + QString(60, QLatin1Char('x')) +
                                 QStringLiteral("/写真/") + QString(40, QLatin1Char('y'));
        strip.checkScrolling();  // a short path: it rests
        QVERIFY(!strip.isScrolling());
        strip.setPath(longPath);
        QVERIFY(strip.textWidth() > 3615);
        strip.checkScrolling();
        QVERIFY(strip.isScrolling());
        QCOMPARE(strip.textLeft(), 45);  // it scrolls from where it stands
        const QLabel* text = strip.findChild<QLabel*>();
        for (int tick = 1; tick <= 3; ++tick) {
            strip.step();
            QCOMPARE(strip.textLeft(), 45 - 30 * tick);
            QCOMPARE(text->x() - strip.contentsRect().left(), twipsToPixels(45 - 30 * tick));
        }
        // Once it has left the strip on the left it comes in again from the right.
        strip.setTextLeft(-strip.textWidth() + 10);
        strip.step();
        QCOMPARE(strip.textLeft(), 3615);
        strip.step();
        QCOMPARE(strip.textLeft(), 3585);
        // A short path stops the scrolling and rests at the home position.
        strip.setPath(QStringLiteral("/tmp"));
        strip.checkScrolling();
        QCOMPARE(strip.textLeft(), 45);
        QVERIFY(!strip.isScrolling());
        // A step that finds a short path parks it too.
        strip.setTextLeft(700);
        strip.step();
        QCOMPARE(strip.textLeft(), 45);
        QVERIFY(!strip.isScrolling());
    }

    void chosenDestinationScrollsOrRests() {
        QTemporaryDir dir;
        const QString deep =
            dir.filePath(QStringLiteral("2026年12月_京都の紅葉と嵐山の竹林/選んだ写真"));
        QVERIFY(QDir().mkpath(deep));
        MainWindow w;
        MainWindowDriver d(w);
        PathStrip& strip = *d.destinationStrip();
        d.moveToFolder()->setChecked(true);
        auto chooseWithOk = [&](const QString& folder) {
            whenModalAppears([folder](QWidget* modal) {
                auto* dialog = qobject_cast<DestinationFolderDialog*>(modal);
                QVERIFY(dialog);
                QCOMPARE(findOnly<FolderList>(*dialog)->setPath(folder), FolderAccess::Opened);
                findButton(*dialog, QStringLiteral("OK"))->click();
            });
            d.destinationButton()->click();
        };
        chooseWithOk(deep);
        QCOMPARE(w.destination(), deep);
        QVERIFY(strip.textWidth() > 3615);
        QVERIFY(strip.isScrolling());
        strip.step();
        QCOMPARE(strip.textLeft(), 15);
        chooseWithOk(QDir::rootPath());
        QCOMPARE(w.destination(), QDir::rootPath());
        QCOMPARE(strip.textLeft(), 45);
        QVERIFY(!strip.isScrolling());
        // Cancel leaves the destination as it was.
        whenModalAppears(
            [](QWidget* modal) { findButton(*modal, QStringLiteral("キャンセル"))->click(); });
        d.destinationButton()->click();
        QCOMPARE(w.destination(), QDir::rootPath());
    }

    void removeSelectedAndClear() {
        QTemporaryDir dir;
        for (int k = 1; k <= 6; ++k)
            touch(dir.filePath(QStringLiteral("p%1.jpg").arg(k)));
        MainWindow w;
        MainWindowDriver d(w);
        d.files()->setPattern(QStringLiteral("*.jpg"));
        d.folders()->setPath(dir.path());
        for (int k : {0, 2, 5})
            d.conversionList()->setRowSelected(k, true);
        d.menuItem(QStringLiteral("リストから削除"))->trigger();
        QCOMPARE(d.listed(), (QStringList{"p2.jpg", "p4.jpg", "p5.jpg"}));
        // Nothing selected: nothing happens. The files are never touched.
        d.conversionList()->clearSelection();
        d.menuItem(QStringLiteral("リストから削除"))->trigger();
        QCOMPARE(d.conversionList()->count(), 3);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 6);
        // The Delete key does what the menu item does.
        d.conversionList()->setRowSelected(1, true);
        QTest::keyClick(d.conversionList(), Qt::Key_Delete);
        QCOMPARE(d.listed(), (QStringList{"p2.jpg", "p5.jpg"}));

        d.moveToFolder()->setChecked(true);
        d.ownName()->setChecked(true);
        d.startNumber()->setText(QStringLiteral("42"));
        QCOMPARE(w.outerHeight(), 4800);
        d.clearButton()->click();
        QCOMPARE(d.conversionList()->count(), 6);
        QVERIFY(!d.moveToFolder()->isChecked());
        QVERIFY(!d.ownName()->isChecked());
        QCOMPARE(d.prefix()->text(), QString());
        QVERIFY(d.prefix()->isEnabled());
        QCOMPARE(d.startNumber()->text(), QStringLiteral("1"));
        QCOMPARE(w.outerHeight(), 4400);
    }

    void checkBoxes() {
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const int closedHeight = w.height();
        QTest::mouseClick(d.moveToFolder(), Qt::LeftButton, {},
                          QPoint(8, d.moveToFolder()->height() / 2));
        QCOMPARE(w.outerHeight(), 4800);
        QCOMPARE(w.centralWidget()->height(), twipsToPixels(3795 + 400));
        QCOMPARE(w.height() - closedHeight, w.centralWidget()->height() - twipsToPixels(3795));
        QVERIFY(d.destinationButton()->isVisible());
        QVERIFY(d.destinationStrip()->isVisible());
        QVERIFY(d.destinationButton()->geometry().bottom() < w.centralWidget()->height());
        d.moveToFolder()->setChecked(false);
        QCOMPARE(w.outerHeight(), 4400);
        QCOMPARE(w.height(), closedHeight);
        QVERIFY(!d.destinationButton()->isVisible());

        d.prefix()->setText(QStringLiteral("trip-"));
        d.suffix()->setText(QStringLiteral("-x"));
        d.ownName()->setChecked(true);
        QCOMPARE(d.prefix()->text(), QString());
        QCOMPARE(d.suffix()->text(), QString());
        QVERIFY(!d.prefix()->isEnabled());
        QVERIFY(!d.suffix()->isEnabled());
        d.ownName()->setChecked(false);
        QVERIFY(d.prefix()->isEnabled());
        QVERIFY(d.suffix()->isEnabled());
        QCOMPARE(d.prefix()->text(), QString());
    }

    void driveNotReady() {
        QTemporaryDir card;
        QDir(card.path()).mkpath(QStringLiteral("DCIM"));
        ScriptedVolumes volumes;
        volumes.addDrive(card.path(), ENOMEDIUM);
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        const QString before = d.folders()->path();

        // Cancel: the folder list stays, the drive list keeps the picked drive.
        boxes.answer(Answer::Cancel);
        QVERIFY(d.drives()->setDrive(card.path()));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].message.text, QStringLiteral("デバイスが準備されていません"));
        QCOMPARE(boxes.shown[0].message.buttons, Buttons::RetryCancel);
        QCOMPARE(boxes.shown[0].message.title, QString());
        QCOMPARE(d.folders()->path(), before);
        QCOMPARE(d.drives()->drive(), card.path());

        // Retry twice; the medium goes in before the third try.
        d.drives()->setDrive(QDir::rootPath());
        boxes.shown.clear();
        boxes.answer(Answer::Retry);
        boxes.answer(Answer::Retry);
        boxes.onShow = [&](int count) {
            if (count == 2)
                volumes.setProbeError(card.path(), 0);
        };
        d.drives()->setDrive(card.path());
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(d.folders()->path(), card.path());
        QCOMPARE(w.destination(), card.path());
    }

    void otherDriveFailureEndsTheProgram() {
        QTemporaryDir broken;
        ScriptedVolumes volumes;
        volumes.addDrive(broken.path(), ELOOP);
        ScriptedMessageBox boxes;
        RecordingExit end;
        MainWindow w;
        MainWindowDriver d(w);
        d.drives()->setDrive(broken.path());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].message.text,
                 QStringLiteral("予期しないエラーが発生したので強制終了します"));
        QCOMPARE(boxes.shown[0].message.icon, Icon::None);
        QCOMPARE(end.exits, 1);
    }

    void eachDriveKeepsItsFolder() {
        QTemporaryDir card;
        QDir(card.path()).mkpath(QStringLiteral("DCIM/100CANON"));
        ScriptedVolumes volumes;
        volumes.addDrive(card.path());
        MainWindow w;
        MainWindowDriver d(w);
        QTemporaryDir home;
        d.folders()->setPath(home.path());
        d.drives()->setDrive(card.path());
        QCOMPARE(d.folders()->path(), card.path());  // its mount point at first
        d.folders()->setPath(card.path() + QStringLiteral("/DCIM/100CANON"));
        d.drives()->setDrive(QDir::rootPath());
        QCOMPARE(d.folders()->path(), home.path());
        d.drives()->setDrive(card.path());
        QCOMPARE(d.folders()->path(), card.path() + QStringLiteral("/DCIM/100CANON"));
    }

    void vanishedFolderMovesToItsParent() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("trip/day1"));
        touch(dir.filePath(QStringLiteral("top.jpg")));
        touch(dir.filePath(QStringLiteral("trip/day1/a.jpg")));
        MainWindow w;
        MainWindowDriver d(w);
        d.files()->setPattern(QStringLiteral("*.jpg"));
        d.folders()->setPath(dir.filePath(QStringLiteral("trip/day1")));
        QCOMPARE(d.listed(), QStringList{"a.jpg"});
        QVERIFY(QDir(dir.filePath(QStringLiteral("trip"))).removeRecursively());
        // Noticed on its own, without the user doing anything.
        QTRY_COMPARE(d.folders()->path(), dir.path());
        QCOMPARE(d.listed(), QStringList{"top.jpg"});

        // And by "clear" or a reload, whichever comes first.
        QDir(dir.path()).mkpath(QStringLiteral("x/y"));
        d.folders()->setPath(dir.filePath(QStringLiteral("x/y")));
        QVERIFY(QDir(dir.filePath(QStringLiteral("x"))).removeRecursively());
        d.setPatterns(d.files()->pattern());
        QCOMPARE(d.folders()->path(), dir.path());
        QCOMPARE(d.listed(), QStringList{"top.jpg"});
    }

    // A folder that cannot be read says why; the list stays as it was.
    void unreadableFolderSaysSo_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no permission") << int(EACCES) << "アクセスが拒否されました";
        QTest::newRow("read error") << int(EIO) << "ドライブが取り外されたか、読み書きできません";
    }
    void unreadableFolderSaysSo() {
        QFETCH(int, error);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("private"));
        const QString locked = dir.filePath(QStringLiteral("private"));
        ScriptedVolumes volumes;
        volumes.setProbeError(locked, error);
        ScriptedMessageBox boxes;
        MainWindow w;
        MainWindowDriver d(w);
        d.openFolder(dir.path());
        QTreeWidgetItemIterator it(d.folders());
        while (*it && (*it)->text(0) != QLatin1String("private"))
            ++it;
        QVERIFY(*it);
        d.folders()->setCurrentItem(*it);  // highlighted, as a click does
        QTest::keyClick(d.folders(), Qt::Key_Return);
        QCOMPARE(boxes.texts(), QStringList{locked + " を開けませんでした.\r\n\r\n" + reason});
        QCOMPARE(boxes.shown[0].message.title, QStringLiteral("注意"));
        QCOMPARE(boxes.shown[0].owner, &w);
        QCOMPARE(d.folders()->highlightedFolder(), locked);  // not even rebuilt
    }

    // Each drive shows first what tells it apart, its mount point as the tooltip.
    void driveCaptions_data() {
        QTest::addColumn<QStringList>("drives");  // folder:label, in the test's folder
        QTest::addColumn<QString>("caption");     // of the last; %1: the test's folder
        QTest::newRow("two cards in one folder")
            << QStringList{"CARD:", "CARD2:"} << "CARD2 (%1/CARD2)";
        QTest::newRow("label") << QStringList{"sdc1:NIKON", "sdb1:EOS_DIGITAL"}
                               << "EOS_DIGITAL (%1/sdb1)";
        QTest::newRow("a label twice")
            << QStringList{"EOS_DIGITAL:EOS_DIGITAL", "EOS_DIGITAL1:EOS_DIGITAL"}
            << "EOS_DIGITAL1 (%1/EOS_DIGITAL1)";
    }
    void driveCaptions() {
        QFETCH(QStringList, drives);
        QFETCH(QString, caption);
        QTemporaryDir dir;
        ScriptedVolumes volumes;
        for (const QString& drive : drives)
            volumes.addDrive(dir.filePath(drive.section(u':', 0, 0)), 0, drive.section(u':', 1));
        MainWindow w;
        DriveList& list = *MainWindowDriver(w).drives();
        const int last = list.findData(volumes.extra.last().mountPoint);
        QCOMPARE(list.itemText(last), caption.arg(dir.path()));
        QCOMPARE(list.itemData(last, Qt::ToolTipRole).toString(), volumes.extra.last().mountPoint);
        QCOMPARE(list.itemText(list.findData(QDir::rootPath())), QDir::rootPath());
    }

    // However deep the open folder lies, its name and its subfolders' names
    // get the room they ask for in the window's folder list.
    void deepFolderNamesKeepTheirRoom_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("nine levels down")
            << "写真/2024年/05月/12日 京都・嵐山 撮影会/RAW現像済み/選抜/A班";
        QTest::newRow("camera folder") << "media/user/CARD/DCIM/100CANON";
    }
    void deepFolderNamesKeepTheirRoom() {
        QFETCH(QString, folder);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(folder));
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        FolderList& list = *d.folders();
        list.setPath(parentFolder(dir.filePath(folder)));
        for (QTreeWidgetItemIterator it(&list); *it; ++it) {
            const QModelIndex index = list.indexFromItem(*it);
            const bool read = (*it)->childCount() == 0 || (*it)->font(0).bold();
            QVERIFY2(
                !read || list.visualRect(index).width() >= list.sizeHintForIndex(index).width(),
                qPrintable((*it)->text(0)));
        }
    }

    void folderListOpensOnDoubleClickOnly() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("sub"));
        MainWindow w;
        MainWindowDriver d(w);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        d.folders()->setPath(dir.path());
        QTreeWidgetItem* sub = nullptr;
        for (QTreeWidgetItemIterator it(d.folders()); *it; ++it) {
            if ((*it)->text(0) == QLatin1String("sub"))
                sub = *it;
        }
        QVERIFY(sub);
        const QRect r = d.folders()->visualItemRect(sub);
        QTest::mouseClick(d.folders()->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(d.folders()->path(), dir.path());
        QCOMPARE(d.folders()->highlightedFolder(), dir.filePath(QStringLiteral("sub")));
        QTest::keyClick(d.folders(), Qt::Key_Return);
        QCOMPARE(d.folders()->path(), dir.filePath(QStringLiteral("sub")));
        QCOMPARE(w.destination(), dir.filePath(QStringLiteral("sub")));
    }
};

QTEST_MAIN(TestBrowsing)
#include "test_browsing.moc"
