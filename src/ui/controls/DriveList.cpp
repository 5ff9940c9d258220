#include "ui/controls/DriveList.h"

#include "core/text/NativeName.h"
#include "ui/controls/Accessibility.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileIconProvider>

DriveList::DriveList(QWidget* parent) : QComboBox(parent) {
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(4);
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::onIndexChanged);
    fill(VolumeSource::current().volumes(), currentDrive());
    useOwnAccessibleInterface(this);
}

QString DriveList::currentDrive() {
    const QString cwd = QDir::currentPath();
    const QString drive = volumeOf(cwd, VolumeSource::current().volumes());
    return drive.isEmpty() ? QDir::rootPath() : drive;
}

bool DriveList::setDrive(const QString& mountPoint) {
    int index = findData(mountPoint);
    if (index < 0) {
        // A drive mounted since the list was filled is still a drive.
        refreshVolumes();
        index = findData(mountPoint);
    }
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return true;
}

void DriveList::refreshVolumes() {
    fill(VolumeSource::current().volumes(), selected_);
}

void DriveList::showPopup() {
    // Media come and go while the program runs: show the drives as they are now.
    refreshVolumes();
    QComboBox::showPopup();
}

void DriveList::fill(const QList<Volume>& volumes, const QString& keep) {
    filling_ = true;
    clear();
    static const QFileIconProvider icons;
    for (const Volume& v : volumes) {
        QString text = displayText(v.mountPoint);
        if (!v.name.isEmpty() && !v.mountPoint.endsWith(v.name))
            text += QStringLiteral(" [%1]").arg(v.name);
        addItem(icons.icon(QFileIconProvider::Drive), text, v.mountPoint);
        setItemData(count() - 1, text, Qt::ToolTipRole);
    }
    int index = findData(keep);
    if (index < 0 && !keep.isEmpty()) {
        // The selected drive went away: it stays shown until another is picked.
        addItem(icons.icon(QFileIconProvider::Drive), displayText(keep), keep);
        index = count() - 1;
    }
    setCurrentIndex(index < 0 ? 0 : index);
    selected_ = currentData().toString();
    filling_ = false;
}

void DriveList::onIndexChanged(int index) {
    if (filling_ || index < 0)
        return;
    // An arrow key on the closed list changes the drive without a word from
    // a screen reader (the open list reads its entries itself).
    if (hasFocus() && !view()->isVisible())
        announce(this, currentText());
    const QString drive = itemData(index).toString();
    if (drive == selected_)
        return;
    selected_ = drive;
    emit changed();
}
