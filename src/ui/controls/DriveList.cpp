#include "ui/controls/DriveList.h"

#include "core/text/NativeName.h"
#include "core/text/Paths.h"
#include "ui/services/Accessibility.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFileIconProvider>
#include <QStyleOptionMenuItem>

#include <algorithm>

QString driveCaption(const Volume& volume, const QList<Volume>& all) {
    if (volume.mountPoint == QDir::rootPath())
        return displayText(volume.mountPoint);
    QString first = volume.name;
    for (const Volume& other : all) {
        if (!first.isEmpty() && other.mountPoint != volume.mountPoint && other.name == first)
            first.clear();
    }
    if (first.isEmpty())
        first = folderName(volume.mountPoint);
    return QStringLiteral("%1 (%2)").arg(displayText(first), displayText(volume.mountPoint));
}

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
    // Qt sizes the open list for the box's own drawing, but draws its entries
    // as menu items, with more room around the text: the longest came out cut.
    QStyleOptionMenuItem item;
    item.initFrom(view());
    item.maxIconWidth = iconSize().width() + 4;
    item.font = font();
    int textWidth = 0;
    for (int k = 0; k < count(); ++k)
        textWidth = std::max(textWidth, fontMetrics().horizontalAdvance(itemText(k)));
    QWidget* popup = view()->window();
    const int wanted = style()
                           ->sizeFromContents(QStyle::CT_MenuItem, &item,
                                              QSize(textWidth, fontMetrics().height()), this)
                           .width() +
                       popup->width() - view()->viewport()->width();
    if (wanted > popup->width())
        popup->resize(wanted, popup->height());
}

void DriveList::fill(const QList<Volume>& volumes, const QString& keep) {
    filling_ = true;
    clear();
    static const QFileIconProvider icons;
    QList<Volume> shown = volumes;
    bool kept = keep.isEmpty();
    for (const Volume& v : volumes)
        kept = kept || v.mountPoint == keep;
    // The selected drive went away: it stays shown until another is picked.
    if (!kept)
        shown.append(Volume{keep, QString()});
    for (const Volume& v : shown) {
        addItem(icons.icon(QFileIconProvider::Drive), driveCaption(v, shown), v.mountPoint);
        setItemData(count() - 1, displayText(v.mountPoint), Qt::ToolTipRole);
    }
    const int index = findData(keep);
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
