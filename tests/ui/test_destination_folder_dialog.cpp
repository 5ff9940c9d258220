#include <QtTest>

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cerrno>
#include <optional>

#include "Doubles.h"
#include "Modal.h"
#include "WindowDriver.h"
#include "ui/windows/DestinationFolderDialog.h"

namespace {

using Chosen = std::optional<QString>;

constexpr int kNoMedium = ENOMEDIUM;

QTreeWidgetItem* itemFor(FolderList& list, const QString& folder) {
    for (QTreeWidgetItemIterator it(&list); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == folder)
            return *it;
    }
    return nullptr;
}

// Opens the dialog on label as the destination button does and lets act work
// in it; whatever act leaves open is closed by the title bar's close button.
Chosen choose(const QString& label, std::function<void(DestinationFolderDialog&)> act) {
    whenModalAppears([act](QWidget* window) {
        if (auto* dialog = qobject_cast<DestinationFolderDialog*>(window))
            act(*dialog);
        if (window->isVisible())
            window->close();
    });
    return DestinationFolderDialog::choose(nullptr, label);
}

void pickDrive(DriveList& drives, const QString& drive) {
    drives.setCurrentIndex(drives.findData(drive));  // as a pick in the drop-down
}

}  // namespace

Q_DECLARE_METATYPE(Answer)

// The destination folder dialog on real temporary folders; drives that come
// and go are played by a scripted volume source.
class TestDestinationFolderDialog : public QObject {
    Q_OBJECT
    QTemporaryDir root_;
    std::unique_ptr<ScriptedMessageBox> boxes_;
    std::unique_ptr<RecordingExit> ends_;

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
        ends_ = std::make_unique<RecordingExit>();
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
        const Chosen result = choose(path("one"), [&](DestinationFolderDialog& dialog) {
            opened = findOnly<FolderList>(dialog)->path();
            if (QTreeWidgetItem* item = itemFor(*findOnly<FolderList>(dialog), path("one/deep"));
                item) {
                const QPoint at = findOnly<FolderList>(dialog)->visualItemRect(item).center();
                if (!browse.isEmpty())  // the first click of a double click, too
                    QTest::mouseClick(findOnly<FolderList>(dialog)->viewport(), Qt::LeftButton, {},
                                      at);
                highlighted = findOnly<FolderList>(dialog)->highlightedFolder();
                if (browse == "double")
                    QTest::mouseDClick(findOnly<FolderList>(dialog)->viewport(), Qt::LeftButton, {},
                                       at);
            }
            if (button == "OK")
                QTest::mouseClick(findButton(dialog, "OK"), Qt::LeftButton);
            else if (button == "cancel")
                QTest::mouseClick(findButton(dialog, "キャンセル"), Qt::LeftButton);
        });
        QCOMPARE(opened, path("one"));
        if (!browse.isEmpty())
            QCOMPARE(highlighted, path("one/deep"));  // the click did land
        QCOMPARE(result, chosen.isNull() ? Chosen() : Chosen(path(chosen)));
    }

    void keyboardHasNoDefaultButton() {
        bool openAfterKeys = false;
        const Chosen result = choose(path("one"), [&](DestinationFolderDialog& dialog) {
            dialog.activateWindow();
            if (!QTest::qWaitForWindowActive(&dialog))
                return;
            QTest::keyClick(findOnly<DriveList>(dialog), Qt::Key_Escape);
            findButton(dialog, "OK")->setFocus();  // not the default once the focus leaves it
            findOnly<DriveList>(dialog)->setFocus();
            QTest::keyClick(findOnly<DriveList>(dialog), Qt::Key_Return);
            openAfterKeys = dialog.isVisible();
            QTest::keyClick(findButton(dialog, "キャンセル"),
                            Qt::Key_Return);  // the focused button
        });
        QVERIFY(openAfterKeys);
        QCOMPARE(result, Chosen());
    }

    void anotherDriveGivesItsCurrentFolder() {
        ScriptedVolumes volumes;
        volumes.addDrive(path("driveB"));
        const Chosen result = choose(path("one"), [&](DestinationFolderDialog& dialog) {
            pickDrive(*findOnly<DriveList>(dialog), path("driveB"));
            QTest::mouseClick(findButton(dialog, "OK"), Qt::LeftButton);
        });
        QCOMPARE(result, Chosen(path("driveB")));  // a drive not visited yet: its top
        QVERIFY(boxes_->shown.isEmpty());
    }

    void driveNotReady_data() {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<bool>("moved");

        QTest::newRow("cancel") << kNoMedium << QList<Answer>{Answer::Cancel} << false;
        QTest::newRow("retry until the medium is in")
            << kNoMedium << QList<Answer>{Answer::Retry, Answer::Retry, Answer::Retry} << true;
        QTest::newRow("retry, then cancel")
            << kNoMedium << QList<Answer>{Answer::Retry, Answer::Cancel} << false;
        QTest::newRow("other failure: forced end")
            << int(ELOOP) << QList<Answer>{Answer::Ok} << false;
    }
    void driveNotReady() {
        QFETCH(int, failure);
        QFETCH(QList<Answer>, answers);
        QFETCH(bool, moved);
        ScriptedVolumes volumes;
        const QString driveC = path("driveC");
        volumes.addDrive(driveC, failure);
        boxes_->script.assign(answers.begin(), answers.end());
        boxes_->onShow = [&](int shown) {  // the medium goes in at the last Retry
            if (shown == answers.size() && answers.last() == Answer::Retry)
                volumes.setProbeError(driveC, 0);
        };
        QString driveAfter;
        const Chosen result = choose(path("one"), [&](DestinationFolderDialog& dialog) {
            pickDrive(*findOnly<DriveList>(dialog), driveC);
            driveAfter = findOnly<DriveList>(dialog)->drive();
            QTest::mouseClick(findButton(dialog, "OK"), Qt::LeftButton);
        });
        const bool notReady = failure == kNoMedium;
        QCOMPARE(boxes_->texts(),
                 QStringList(answers.size(),
                             notReady ? QString("デバイスが準備されていません")
                                      : QString("予期しないエラーが発生したので強制終了します")));
        QCOMPARE(boxes_->shown.first().message.buttons,
                 notReady ? Buttons::RetryCancel : Buttons::Ok);
        QCOMPARE(ends_->exits, notReady ? 0 : 1);
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
        const Chosen result = choose(path(label), [](DestinationFolderDialog& dialog) {
            QTest::mouseClick(findButton(dialog, "OK"), Qt::LeftButton);
        });
        QCOMPARE(result, Chosen(path(opened)));
        QVERIFY(boxes_->shown.isEmpty());  // quietly; the program goes on
        QCOMPARE(ends_->exits, 0);
    }
};

QTEST_MAIN(TestDestinationFolderDialog)
#include "test_destination_folder_dialog.moc"
