#include "ui/windows/DestinationFolderDialog.h"

#include "ui/controls/DriveChange.h"
#include "ui/controls/DriveList.h"
#include "ui/controls/FolderList.h"
#include "ui/controls/Fonts.h"
#include "ui/windows/WindowStyle.h"

#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

DestinationFolderDialog::DestinationFolderDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("destinationFolderDialog"));
    setUpFixedDialog(*this, QStringLiteral("フォルダーの選択"), 3120, 3135);

    // The drive list starts on the process's current drive, whatever drive
    // the folder list is opened on.
    driveList_ = new DriveList(this);
    driveList_->setObjectName(QStringLiteral("driveList"));
    placeTwips(*driveList_, 90, 90, 2940, 300);
    driveList_->setAccessibleName(QStringLiteral("ドライブ"));

    folderList_ = new FolderList(this);
    folderList_->setObjectName(QStringLiteral("folderList"));
    placeTwips(*folderList_, 90, 495, 2940, 2190);
    folderList_->setAccessibleName(QStringLiteral("フォルダー"));

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    placeTwips(*okButton_, 154, 2790, 1365, 330);

    cancelButton_ = new QPushButton(QStringLiteral("キャンセル"), this);
    cancelButton_->setObjectName(QStringLiteral("cancelButton"));
    placeTwips(*cancelButton_, 1601, 2790, 1365, 330);

    for (QPushButton* button : {okButton_, cancelButton_}) {
        button->setFont(proportionalGothic(9, true));
        // No default button, not even the last one that had the focus:
        // Enter presses a button only while it has the focus.
        button->setAutoDefault(false);
        button->installEventFilter(this);
    }

    setTabOrder(driveList_, folderList_);
    setTabOrder(folderList_, okButton_);
    setTabOrder(okButton_, cancelButton_);
    driveList_->setFocus();

    connect(driveList_, &DriveList::changed, this,
            [this] { followDrive(*driveList_, *folderList_); });
    connect(okButton_, &QPushButton::clicked, this, [this] {
        chosen_ = folderList_->path();
        accept();
    });
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

DestinationFolderDialog::~DestinationFolderDialog() = default;

std::optional<QString> DestinationFolderDialog::choose(QWidget* parent, const QString& folder) {
    QPointer<DestinationFolderDialog> dialog = new DestinationFolderDialog(parent);
    dialog->openOn(folder);
    const int result = dialog->exec();
    std::optional<QString> chosen;
    if (dialog && result == QDialog::Accepted)
        chosen = dialog->chosenFolder();
    delete dialog;
    return chosen;
}

void DestinationFolderDialog::openOn(const QString& folder) {
    if (folder.isEmpty() || folderList_->setPath(folder) == FolderAccess::Opened)
        return;
    // The destination names a folder that was there when it was set; it may
    // have been removed or its medium taken out since. The dialog opens
    // nearby instead of failing.
    folderList_->openNearestExisting(folder);
}

bool DestinationFolderDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == okButton_ || watched == cancelButton_)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            static_cast<QPushButton*>(watched)->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DestinationFolderDialog::keyPressEvent(QKeyEvent* event) {
    // Escape has no meaning here, and Enter only on a button with the focus.
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}
