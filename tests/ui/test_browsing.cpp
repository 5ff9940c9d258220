#include <QtTest>

#include "Doubles.h"
#include "Modal.h"
#include "TestFiles.h"
#include "ui/dialogs/frmSELECT.h"
#include "ui/main/Tolvane.h"
#include "ui/platform/DriveList.h"
#include "ui/platform/FileList.h"
#include "ui/platform/FolderList.h"
#include "ui/platform/ListBox.h"
#include "ui/platform/Timer.h"
#include "ui/platform/Twips.h"

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
        Tolvane w;
        w.File->setPattern(QStringLiteral("*.jpg"));
        QCOMPARE(w.Folder->setPath(dir.path()), 0);
        // Natural, total order: the order the serial numbers will follow.
        QCOMPARE(listed(w),
                 (QStringList{"A.jpg", "a.JPG", "IMG_1.jpg", "IMG_2.JPG", "img_10.jpg"}));
        QCOMPARE(w.labelCaption(), dir.path());
        QCOMPARE(w.Folder->setPath(dir.filePath(QStringLiteral("empty"))), 0);
        QCOMPARE(w.List->ListCount(), 0);
    }

    void namesThatAreNotUtf8KeepTheirBytes() {
        QTemporaryDir dir;
        const QByteArray sjis("\x8e\xca\x90\x5e.jpg");  // 写真.jpg written by an old camera tool
        const QByteArray path = QFile::encodeName(dir.path()) + "/" + sjis;
        QFile f;
        FILE* raw = fopen(path.constData(), "w");
        QVERIFY(raw);
        fclose(raw);
        Tolvane w;
        w.File->setPattern(QStringLiteral("*.jpg"));
        w.Folder->setPath(dir.path());
        QCOMPARE(w.List->ListCount(), 1);
        QCOMPARE(w.List->nativeItem(0), sjis);
        QVERIFY(w.List->List(0).contains(QChar(QChar::ReplacementCharacter)));
    }

    void labelFollowsTheFolderOnlyWithoutDestination() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("a"));
        QDir(dir.path()).mkpath(QStringLiteral("b"));
        Tolvane w;
        w.Folder->setPath(dir.filePath(QStringLiteral("a")));
        QCOMPARE(w.labelCaption(), dir.filePath(QStringLiteral("a")));
        w.CHECK[0]->setChecked(true);
        w.Folder->setPath(dir.filePath(QStringLiteral("b")));
        QCOMPARE(w.labelCaption(), dir.filePath(QStringLiteral("a")));
        // Unticking changes nothing by itself; the next folder change does.
        w.CHECK[0]->setChecked(false);
        QCOMPARE(w.labelCaption(), dir.filePath(QStringLiteral("a")));
        w.Folder->setPath(dir.path());
        QCOMPARE(w.labelCaption(), dir.path());
    }

    void longDestinationScrolls() {
        Tolvane w;
        w.Timer1->setInterval(0);
        const QString longPath = QStringLiteral("/") + QString(60, QLatin1Char('x')) +
                                 QStringLiteral("/写真/") + QString(40, QLatin1Char('y'));
        w.setLabelCaption(longPath);
        QVERIFY(w.labelWidth() > 3615);
        w.scrollCheck();
        QCOMPARE(w.Timer1->Interval(), 100);
        QCOMPARE(w.labelLeft(), 45);  // it scrolls from where it stands
        for (int tick = 1; tick <= 3; ++tick) {
            w.Timer1_Timer();
            QCOMPARE(w.labelLeft(), 45 - 30 * tick);
            QCOMPARE(w.Label->x() - w.Picture->contentsRect().left(),
                     twipsToPixels(45 - 30 * tick));
        }
        // Once it has left the strip on the left it comes in again from the right.
        w.setLabelLeft(-w.labelWidth() + 10);
        w.Timer1_Timer();
        QCOMPARE(w.labelLeft(), 3615);
        w.Timer1_Timer();
        QCOMPARE(w.labelLeft(), 3585);
        // A short path stops the scrolling and rests at the home position.
        w.setLabelCaption(QStringLiteral("/tmp"));
        w.scrollCheck();
        QCOMPARE(w.labelLeft(), 45);
        QCOMPARE(w.Timer1->Interval(), 0);
        // A tick that finds a short path parks it too.
        w.setLabelLeft(700);
        w.Timer1->setInterval(100);
        w.Timer1_Timer();
        QCOMPARE(w.labelLeft(), 45);
        QCOMPARE(w.Timer1->Interval(), 0);
    }

    void chosenDestinationScrollsOrRests() {
        QTemporaryDir dir;
        const QString deep =
            dir.filePath(QStringLiteral("2026年12月_京都の紅葉と嵐山の竹林/選んだ写真"));
        QVERIFY(QDir().mkpath(deep));
        Tolvane w;
        w.CHECK[0]->setChecked(true);
        auto chooseWithOk = [&](const QString& folder) {
            whenModalAppears([folder](QWidget* modal) {
                auto* dialog = qobject_cast<frmSELECT*>(modal);
                QVERIFY(dialog);
                QCOMPARE(dialog->FOLDER->setPath(folder), 0);
                dialog->cmdOK->click();
            });
            w.HOZON->click();
        };
        chooseWithOk(deep);
        QCOMPARE(w.labelCaption(), deep);
        QVERIFY(w.labelWidth() > 3615);
        QCOMPARE(w.Timer1->Interval(), 100);
        w.Timer1_Timer();
        QCOMPARE(w.labelLeft(), 15);
        chooseWithOk(QDir::rootPath());
        QCOMPARE(w.labelCaption(), QDir::rootPath());
        QCOMPARE(w.labelLeft(), 45);
        QCOMPARE(w.Timer1->Interval(), 0);
        // Cancel leaves the destination as it was.
        whenModalAppears(
            [](QWidget* modal) { qobject_cast<frmSELECT*>(modal)->cmdCANCEL->click(); });
        w.HOZON->click();
        QCOMPARE(w.labelCaption(), QDir::rootPath());
    }

    void removeSelectedAndClear() {
        QTemporaryDir dir;
        for (int k = 1; k <= 6; ++k)
            touch(dir.filePath(QStringLiteral("p%1.jpg").arg(k)));
        Tolvane w;
        w.File->setPattern(QStringLiteral("*.jpg"));
        w.Folder->setPath(dir.path());
        for (int k : {0, 2, 5})
            w.List->setSelected(k, true);
        w.DELETE->trigger();
        QCOMPARE(listed(w), (QStringList{"p2.jpg", "p4.jpg", "p5.jpg"}));
        // Nothing selected: nothing happens. The files are never touched.
        w.List->clearSelection();
        w.DELETE_Click();
        QCOMPARE(w.List->ListCount(), 3);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 6);
        // The Delete key does what the menu item does.
        w.List->setSelected(1, true);
        QTest::keyClick(w.List, Qt::Key_Delete);
        QCOMPARE(listed(w), (QStringList{"p2.jpg", "p5.jpg"}));

        w.CHECK[0]->setChecked(true);
        w.CHECK[1]->setChecked(true);
        w.Text[2]->setText(QStringLiteral("42"));
        QCOMPARE(w.outerHeight(), 4800);
        w.CLEAR->click();
        QCOMPARE(w.List->ListCount(), 6);
        QVERIFY(!w.CHECK[0]->isChecked());
        QVERIFY(!w.CHECK[1]->isChecked());
        QCOMPARE(w.Text[0]->text(), QString());
        QVERIFY(w.Text[0]->isEnabled());
        QCOMPARE(w.Text[2]->text(), QStringLiteral("1"));
        QCOMPARE(w.outerHeight(), 4400);
    }

    void checkBoxes() {
        Tolvane w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const int closedHeight = w.height();
        QTest::mouseClick(w.CHECK[0], Qt::LeftButton, {}, QPoint(8, w.CHECK[0]->height() / 2));
        QCOMPARE(w.outerHeight(), 4800);
        QCOMPARE(w.centralWidget()->height(), twipsToPixels(3795 + 400));
        QCOMPARE(w.height() - closedHeight, w.centralWidget()->height() - twipsToPixels(3795));
        QVERIFY(w.HOZON->isVisible());
        QVERIFY(w.Picture->isVisible());
        QVERIFY(w.HOZON->geometry().bottom() < w.centralWidget()->height());
        w.CHECK[0]->setChecked(false);
        QCOMPARE(w.outerHeight(), 4400);
        QCOMPARE(w.height(), closedHeight);
        QVERIFY(!w.HOZON->isVisible());

        w.Text[0]->setText(QStringLiteral("trip-"));
        w.Text[1]->setText(QStringLiteral("-x"));
        w.CHECK[1]->setChecked(true);
        QCOMPARE(w.Text[0]->text(), QString());
        QCOMPARE(w.Text[1]->text(), QString());
        QVERIFY(!w.Text[0]->isEnabled());
        QVERIFY(!w.Text[1]->isEnabled());
        w.CHECK[1]->setChecked(false);
        QVERIFY(w.Text[0]->isEnabled());
        QVERIFY(w.Text[1]->isEnabled());
        QCOMPARE(w.Text[0]->text(), QString());
    }

    void driveNotReady() {
        QTemporaryDir card;
        QDir(card.path()).mkpath(QStringLiteral("DCIM"));
        ScriptedVolumes volumes;
        volumes.addDrive(card.path(), ENOMEDIUM);
        ScriptedMessageBox boxes;
        Tolvane w;
        const QString before = w.Folder->Path();

        // Cancel: the folder list stays, the drive list keeps the picked drive.
        boxes.answer(kResultCancel);
        QCOMPARE(w.Drive->setDrive(card.path()), 0);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].prompt, QStringLiteral("デバイスが準備されていません"));
        QCOMPARE(boxes.shown[0].code, 5);
        QCOMPARE(boxes.shown[0].title, QString());
        QCOMPARE(MSG_RESULT, QStringLiteral("2"));
        QCOMPARE(w.Folder->Path(), before);
        QCOMPARE(w.Drive->Drive(), card.path());

        // Retry twice; the medium goes in before the third try.
        w.Drive->setDrive(QDir::rootPath());
        boxes.shown.clear();
        boxes.answer(kResultRetry);
        boxes.answer(kResultRetry);
        boxes.onShow = [&](int count) {
            if (count == 2)
                volumes.setProbeError(card.path(), 0);
        };
        w.Drive->setDrive(card.path());
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(w.Folder->Path(), card.path());
        QCOMPARE(w.labelCaption(), card.path());
    }

    void otherDriveFailureEndsTheProgram() {
        QTemporaryDir broken;
        ScriptedVolumes volumes;
        volumes.addDrive(broken.path(), ELOOP);
        ScriptedMessageBox boxes;
        RecordingForcedEnd end;
        Tolvane w;
        w.Drive->setDrive(broken.path());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].prompt,
                 QStringLiteral("予期しないエラーが発生したので強制終了します"));
        QCOMPARE(boxes.shown[0].code, 0);
        QCOMPARE(end.ends, 1);
    }

    void eachDriveKeepsItsFolder() {
        QTemporaryDir card;
        QDir(card.path()).mkpath(QStringLiteral("DCIM/100CANON"));
        ScriptedVolumes volumes;
        volumes.addDrive(card.path());
        Tolvane w;
        QTemporaryDir home;
        w.Folder->setPath(home.path());
        w.Drive->setDrive(card.path());
        QCOMPARE(w.Folder->Path(), card.path());  // its mount point at first
        w.Folder->setPath(card.path() + QStringLiteral("/DCIM/100CANON"));
        w.Drive->setDrive(QDir::rootPath());
        QCOMPARE(w.Folder->Path(), home.path());
        w.Drive->setDrive(card.path());
        QCOMPARE(w.Folder->Path(), card.path() + QStringLiteral("/DCIM/100CANON"));
    }

    void vanishedFolderMovesToItsParent() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("trip/day1"));
        touch(dir.filePath(QStringLiteral("top.jpg")));
        touch(dir.filePath(QStringLiteral("trip/day1/a.jpg")));
        Tolvane w;
        w.File->setPattern(QStringLiteral("*.jpg"));
        w.Folder->setPath(dir.filePath(QStringLiteral("trip/day1")));
        QCOMPARE(listed(w), QStringList{"a.jpg"});
        QVERIFY(QDir(dir.filePath(QStringLiteral("trip"))).removeRecursively());
        // Noticed on its own, without the user doing anything.
        QTRY_COMPARE(w.Folder->Path(), dir.path());
        QCOMPARE(listed(w), QStringList{"top.jpg"});

        // And by "clear" or a reload, whichever comes first.
        QDir(dir.path()).mkpath(QStringLiteral("x/y"));
        w.Folder->setPath(dir.filePath(QStringLiteral("x/y")));
        QVERIFY(QDir(dir.filePath(QStringLiteral("x"))).removeRecursively());
        w.LIST_reload();
        QCOMPARE(w.Folder->Path(), dir.path());
        QCOMPARE(listed(w), QStringList{"top.jpg"});
    }

    void folderListOpensOnDoubleClickOnly() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("sub"));
        Tolvane w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Folder->setPath(dir.path());
        QTreeWidgetItem* sub = nullptr;
        for (QTreeWidgetItemIterator it(w.Folder); *it; ++it) {
            if ((*it)->text(0) == QLatin1String("sub"))
                sub = *it;
        }
        QVERIFY(sub);
        const QRect r = w.Folder->visualItemRect(sub);
        QTest::mouseClick(w.Folder->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(w.Folder->Path(), dir.path());
        QCOMPARE(w.Folder->highlightedFolder(), dir.filePath(QStringLiteral("sub")));
        QTest::keyClick(w.Folder, Qt::Key_Return);
        QCOMPARE(w.Folder->Path(), dir.filePath(QStringLiteral("sub")));
        QCOMPARE(w.labelCaption(), dir.filePath(QStringLiteral("sub")));
    }
};

QTEST_MAIN(TestBrowsing)
#include "test_browsing.moc"
