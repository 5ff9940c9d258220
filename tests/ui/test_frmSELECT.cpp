#include <QtTest>

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cerrno>
#include <optional>

#include "Doubles.h"
#include "Modal.h"
#include "ui/dialogs/frmSELECT.h"
#include "ui/platform/DriveList.h"
#include "ui/platform/FolderList.h"

namespace {

using Chosen = std::optional<QString>;

#ifdef ENOMEDIUM
constexpr int kNoMedium = ENOMEDIUM;
#else
constexpr int kNoMedium = EIO;
#endif

QTreeWidgetItem* itemFor(FolderList& list, const QString& folder) {
    for (QTreeWidgetItemIterator it(&list); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == folder)
            return *it;
    }
    return nullptr;
}

// Opens the dialog on label as the destination button does and lets act work
// in it; whatever act leaves open is closed by the title bar's close button.
Chosen choose(const QString& label, std::function<void(frmSELECT&)> act) {
    whenModalAppears([act](QWidget* window) {
        if (auto* dialog = qobject_cast<frmSELECT*>(window))
            act(*dialog);
        if (window->isVisible())
            window->close();
    });
    return frmSELECT::choose(nullptr, label);
}

void pickDrive(DriveList& drives, const QString& drive) {
    drives.setCurrentIndex(drives.findData(drive));  // as a pick in the drop-down
}

}  // namespace

// The destination folder dialog on real temporary folders; drives that come
// and go are played by a scripted volume source.
class TestFrmSELECT : public QObject {
    Q_OBJECT
    QTemporaryDir root_;
    std::unique_ptr<ScriptedMessageBox> boxes_;
    std::unique_ptr<RecordingForcedEnd> ends_;

    QString path(const QString& relative) const {
        return QDir::cleanPath(root_.filePath(relative));
    }

private slots:
    void initTestCase() {
        for (const char* folder : {"one/deep", "two", "driveB/photos", "driveC"})
            QVERIFY(QDir(root_.path()).mkpath(folder));
    }
    void init() {
        boxes_.reset();  // before their successors take their places
        ends_.reset();
        boxes_ = std::make_unique<ScriptedMessageBox>();
        ends_ = std::make_unique<RecordingForcedEnd>();
    }

    void choosing_data() {
        QTest::addColumn<QString>("browse");  // what the user does in the list
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("chosen");  // null: nothing

        QTest::newRow("OK at once") << ""
                                    << "OK"
                                    << "one";
        QTest::newRow("double-clicked subfolder") << "double"
                                                  << "OK"
                                                  << "one/deep";
        QTest::newRow("single-clicked subfolder") << "single"
                                                  << "OK"
                                                  << "one";
        QTest::newRow("キャンセル after browsing") << "double"
                                                   << "cancel" << QString();
        QTest::newRow("close button after browsing") << "double"
                                                     << "close" << QString();
    }
    void choosing() {
        QFETCH(QString, browse);
        QFETCH(QString, button);
        QFETCH(QString, chosen);
        QString opened, highlighted;
        const Chosen result = choose(path("one"), [&](frmSELECT& dialog) {
            opened = dialog.FOLDER->Path();
            if (QTreeWidgetItem* item = itemFor(*dialog.FOLDER, path("one/deep")); item) {
                const QPoint at = dialog.FOLDER->visualItemRect(item).center();
                if (!browse.isEmpty())  // the first click of a double click, too
                    QTest::mouseClick(dialog.FOLDER->viewport(), Qt::LeftButton, {}, at);
                highlighted = dialog.FOLDER->highlightedFolder();
                if (browse == "double")
                    QTest::mouseDClick(dialog.FOLDER->viewport(), Qt::LeftButton, {}, at);
            }
            if (button == "OK")
                QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
            else if (button == "cancel")
                QTest::mouseClick(dialog.cmdCANCEL, Qt::LeftButton);
        });
        QCOMPARE(opened, path("one"));
        if (!browse.isEmpty())
            QCOMPARE(highlighted, path("one/deep"));  // the click did land
        QCOMPARE(result, chosen.isNull() ? Chosen() : Chosen(path(chosen)));
    }

    void keyboardHasNoDefaultButton() {
        bool openAfterKeys = false;
        const Chosen result = choose(path("one"), [&](frmSELECT& dialog) {
            dialog.activateWindow();
            if (!QTest::qWaitForWindowActive(&dialog))
                return;
            QTest::keyClick(dialog.Drive, Qt::Key_Escape);
            dialog.cmdOK->setFocus();  // not the default once the focus leaves it
            dialog.Drive->setFocus();
            QTest::keyClick(dialog.Drive, Qt::Key_Return);
            openAfterKeys = dialog.isVisible();
            QTest::keyClick(dialog.cmdCANCEL, Qt::Key_Return);  // the focused button
        });
        QVERIFY(openAfterKeys);
        QCOMPARE(result, Chosen());
    }

    void anotherDriveGivesItsCurrentFolder() {
        ScriptedVolumes volumes;
        volumes.addDrive(path("driveB"));
        const Chosen result = choose(path("one"), [&](frmSELECT& dialog) {
            pickDrive(*dialog.Drive, path("driveB"));
            QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        });
        QCOMPARE(result, Chosen(path("driveB")));  // a drive not visited yet: its top
        QVERIFY(boxes_->shown.isEmpty());
    }

    void driveNotReady_data() {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("moved");

        QTest::newRow("cancel") << kNoMedium << QList<int>{kResultCancel} << false;
        QTest::newRow("retry until the medium is in")
            << kNoMedium << QList<int>{kResultRetry, kResultRetry, kResultRetry} << true;
        QTest::newRow("retry, then cancel")
            << kNoMedium << QList<int>{kResultRetry, kResultCancel} << false;
        QTest::newRow("other failure: forced end") << int(ELOOP) << QList<int>{kResultOk} << false;
    }
    void driveNotReady() {
        QFETCH(int, failure);
        QFETCH(QList<int>, answers);
        QFETCH(bool, moved);
        ScriptedVolumes volumes;
        const QString driveC = path("driveC");
        volumes.addDrive(driveC, failure);
        boxes_->script.assign(answers.begin(), answers.end());
        boxes_->onShow = [&](int shown) {  // the medium goes in at the last Retry
            if (shown == answers.size() && answers.last() == kResultRetry)
                volumes.setProbeError(driveC, 0);
        };
        QString driveAfter;
        const Chosen result = choose(path("one"), [&](frmSELECT& dialog) {
            pickDrive(*dialog.Drive, driveC);
            driveAfter = dialog.Drive->Drive();
            QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        });
        const bool notReady = failure == kNoMedium;
        QCOMPARE(boxes_->prompts(),
                 QStringList(answers.size(),
                             notReady ? QString("デバイスが準備されていません")
                                      : QString("予期しないエラーが発生したので強制終了します")));
        QCOMPARE(boxes_->shown.first().code, notReady ? 5 : 0);
        QCOMPARE(ends_->ends, notReady ? 0 : 1);
        QCOMPARE(driveAfter, driveC);  // the list keeps the picked drive
        QCOMPARE(result, Chosen(moved ? driveC : path("one")));
    }

    void goneFolderOpensOnNearestAncestor_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("opened");
        QTest::addColumn<int>("driveFailure");

        QTest::newRow("removed folder") << "one/deep/gone"
                                        << "one/deep" << 0;
        QTest::newRow("removed branch") << "two/gone/further"
                                        << "two" << 0;
        QTest::newRow("medium taken out") << "driveC/photos"
                                          << "." << kNoMedium;
    }
    void goneFolderOpensOnNearestAncestor() {
        QFETCH(QString, label);
        QFETCH(QString, opened);
        QFETCH(int, driveFailure);
        ScriptedVolumes volumes;
        volumes.addDrive(path("driveC"), driveFailure);
        const Chosen result = choose(path(label), [](frmSELECT& dialog) {
            QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        });
        QCOMPARE(result, Chosen(path(opened)));
        QVERIFY(boxes_->shown.isEmpty());  // quietly; the program goes on
        QCOMPARE(ends_->ends, 0);
    }
};

QTEST_MAIN(TestFrmSELECT)
#include "test_frmSELECT.moc"
