#include "ui/windows/DestinationFolderDialog.h"

#include "ui/controls/DriveChange.h"
#include "ui/controls/DriveList.h"
#include "ui/controls/FolderList.h"
#include "ui/windows/ControlLayout.h"
#include "ui/windows/WindowStyle.h"

#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

namespace {

enum class DestinationControl { Dialog, DriveList, FolderList, OkButton, CancelButton };

// Where each control stands, in twips.
// clang-format off
constexpr ControlLayout<DestinationControl> kLayout[] = {
    {DestinationControl::DriveList, "driveList", DestinationControl::Dialog, 90, 90, 2940, 300,
     {FontFace::Inherited}, u"", u"ドライブ"},
    {DestinationControl::FolderList, "folderList", DestinationControl::Dialog, 90, 495, 2940,
     2190, {FontFace::Inherited}, u"", u"フォルダー"},
    {DestinationControl::OkButton, "okButton", DestinationControl::Dialog, 154, 2790, 1365, 330,
     {FontFace::Proportional, 9, true}, u"OK", nullptr},
    {DestinationControl::CancelButton, "cancelButton", DestinationControl::Dialog, 1601, 2790,
     1365, 330, {FontFace::Proportional, 9, true}, u"キャンセル", nullptr},
};
// clang-format on

constexpr DestinationControl kTabOrder[] = {
    DestinationControl::DriveList,
    DestinationControl::FolderList,
    DestinationControl::OkButton,
    DestinationControl::CancelButton,
};

QWidget* newControl(DestinationControl control, QWidget* parent) {
    switch (control) {
        case DestinationControl::Dialog:
            break;
        // The drive list starts on the process's current drive, whatever
        // drive the folder list is opened on.
        case DestinationControl::DriveList:
            return new DriveList(parent);
        case DestinationControl::FolderList:
            return new FolderList(parent);
        case DestinationControl::OkButton:
        case DestinationControl::CancelButton:
            return new QPushButton(parent);
    }
    return nullptr;
}

}  // namespace

DestinationFolderDialog::DestinationFolderDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("destinationFolderDialog"));
    setUpFixedDialog(*this, QStringLiteral("フォルダーの選択"), 3120, 3135);

    const std::map<DestinationControl, QWidget*> built =
        buildFromLayout(this, DestinationControl::Dialog, kLayout, newControl);
    setLayoutTabOrder(built, kTabOrder);
    driveList_ = static_cast<DriveList*>(built.at(DestinationControl::DriveList));
    folderList_ = static_cast<FolderList*>(built.at(DestinationControl::FolderList));
    okButton_ = static_cast<QPushButton*>(built.at(DestinationControl::OkButton));
    cancelButton_ = static_cast<QPushButton*>(built.at(DestinationControl::CancelButton));

    for (QPushButton* button : {okButton_, cancelButton_}) {
        // No default button, not even the last one that had the focus:
        // Enter presses a button only while it has the focus.
        button->setAutoDefault(false);
        button->installEventFilter(this);
    }

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
