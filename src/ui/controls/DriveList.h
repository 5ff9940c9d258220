#pragma once

#include "ui/services/Volumes.h"

#include <QComboBox>

// A drop-down list of the drives (mounted volumes) a user can browse. Its
// drive is the selected volume's mount point. Picking another drive, by the
// user or by setDrive, raises changed at once, before the caller goes on.
// Each drive shows first what tells it apart (see driveCaption), with its
// mount point in full as the tooltip.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    QString drive() const { return selected_; }
    // Selects the drive with that mount point; false when no such drive
    // exists. Raises changed only when the selection moves to another drive.
    bool setDrive(const QString& mountPoint);

    // Re-reads the volumes, keeping the selected drive when it is still there.
    void refreshVolumes();

    // The process's current drive: the volume that holds its working folder.
    static QString currentDrive();

signals:
    void changed();

protected:
    void showPopup() override;

private:
    void fill(const QList<Volume>& volumes, const QString& keep);
    void onIndexChanged(int index);

    QString selected_;
    bool filling_ = false;
};

// How volume shows in the list, among all: its label, or its mount point's
// own folder name where it has none or shares it with another volume, then
// the mount point ("CARD2 (/media/taro/CARD2)"); the list is narrow, and two
// cards under one folder showed alike. The root shows as itself.
QString driveCaption(const Volume& volume, const QList<Volume>& all);
