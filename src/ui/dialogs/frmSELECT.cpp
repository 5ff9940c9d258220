#include "ui/dialogs/frmSELECT.h"

#include "ui/dialogs/DialogFrame.h"
#include "ui/platform/DriveChange.h"
#include "ui/platform/DriveList.h"
#include "ui/platform/FolderList.h"
#include "ui/platform/Fonts.h"

#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

frmSELECT::frmSELECT(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSELECT"));
    setUpFixedDialog(*this, QStringLiteral("フォルダーの選択"), 3120, 3135);

    // The drive list starts on the process's current drive, whatever drive
    // the folder list is opened on.
    Drive = new DriveList(this);
    Drive->setObjectName(QStringLiteral("Drive"));
    placeTwips(*Drive, 90, 90, 2940, 300);
    Drive->setAccessibleName(QStringLiteral("ドライブ"));

    FOLDER = new FolderList(this);
    FOLDER->setObjectName(QStringLiteral("FOLDER"));
    placeTwips(*FOLDER, 90, 495, 2940, 2190);
    FOLDER->setAccessibleName(QStringLiteral("フォルダー"));

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    placeTwips(*cmdOK, 154, 2790, 1365, 330);

    cmdCANCEL = new QPushButton(QStringLiteral("キャンセル"), this);
    cmdCANCEL->setObjectName(QStringLiteral("cmdCANCEL"));
    placeTwips(*cmdCANCEL, 1601, 2790, 1365, 330);

    for (QPushButton* button : {cmdOK, cmdCANCEL}) {
        button->setFont(proportionalGothic(9, true));
        // No default button, not even the last one that had the focus:
        // Enter presses a button only while it has the focus.
        button->setAutoDefault(false);
        button->installEventFilter(this);
    }

    setTabOrder(Drive, FOLDER);
    setTabOrder(FOLDER, cmdOK);
    setTabOrder(cmdOK, cmdCANCEL);
    Drive->setFocus();

    connect(Drive, &DriveList::changed, this, &frmSELECT::Drive_Change);
    connect(cmdOK, &QPushButton::clicked, this, &frmSELECT::cmdOK_Click);
    connect(cmdCANCEL, &QPushButton::clicked, this, &frmSELECT::cmdCANCEL_Click);
}

frmSELECT::~frmSELECT() = default;

std::optional<QString> frmSELECT::choose(QWidget* parent, const QString& labelFolder) {
    QPointer<frmSELECT> dialog = new frmSELECT(parent);
    dialog->openOn(labelFolder);
    const int result = dialog->exec();
    std::optional<QString> chosen;
    if (dialog && result == QDialog::Accepted)
        chosen = dialog->chosenFolder();
    delete dialog;
    return chosen;
}

void frmSELECT::openOn(const QString& folder) {
    if (folder.isEmpty() || FOLDER->setPath(folder) == 0)
        return;
    // The label names a folder that was there when it was set; it may have
    // been removed or its medium taken out since. The dialog opens nearby
    // instead of failing.
    FOLDER->openNearestExisting(folder);
}

void frmSELECT::Drive_Change() {
    followDrive(*Drive, *FOLDER);
}

void frmSELECT::cmdOK_Click() {
    chosen_ = FOLDER->Path();
    accept();
}

void frmSELECT::cmdCANCEL_Click() {
    reject();
}

bool frmSELECT::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == cmdOK || watched == cmdCANCEL)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            static_cast<QPushButton*>(watched)->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmSELECT::keyPressEvent(QKeyEvent* event) {
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
