#pragma once

#include "core/files/CameraClocks.h"
#include "core/photo/ShootingTime.h"
#include "ui/services/Replaceable.h"

#include <QByteArray>

#include <vector>

struct TaskProgress;

// Reads when a file was taken (see ShootingTime.h), for the conversion
// list's shooting order and tooltips. Called on one thread at a time: the
// window's, or the one worker that reads a whole list. Tests put in a stand-in
// that takes its time, to meet the progress window and its 中止.
class ShootingTimeService : public ReplaceableService<ShootingTimeService> {
public:
    // readError as shootingTime's (see ShootingTime.h).
    virtual ShootingTime read(const QByteArray& path, int* readError = nullptr) = 0;
    static ShootingTimeService& real();
};

// Reads the time of each member of shots that has none yet, from the folder
// they are in (native bytes, ending in '/'), one shot after another,
// counting each in progress, and gives it its camera's offset from offsets.
// Stops when progress is asked to, or at a read that failed for the drive's
// sake (isDriveFailure), whose error it returns: the drive went away or is
// failing, and every later read would only fail too, each perhaps after a
// long wait. Otherwise returns 0.
int readShootingTimes(std::vector<Shot>& shots, const QByteArray& folder,
                      const StoredClockOffsets& offsets, TaskProgress& progress);
