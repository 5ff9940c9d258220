#include "ui/services/ShootingTimes.h"

#include "core/common/ErrorReasons.h"
#include "core/common/TaskProgress.h"

namespace {

class MetadataShootingTimes : public ShootingTimeService {
public:
    ShootingTime read(const QByteArray& path, int* readError) override {
        return shootingTime(path, readError);
    }
};

}  // namespace

ShootingTimeService& ShootingTimeService::real() {
    static MetadataShootingTimes service;
    return service;
}

int readShootingTimes(std::vector<Shot>& shots, const QByteArray& folder,
                      const StoredClockOffsets& offsets, TaskProgress& progress) {
    ShootingTimeService& service = ShootingTimeService::current();
    // Photos come in runs from one camera: the run's files share one copy of
    // its names and look its offset up once.
    Camera lastCamera;
    qint64 lastOffset = 0;
    for (size_t k = 0; k < shots.size() && !progress.shouldStop(); ++k) {
        for (ListedFile& file : shots[k].members) {
            ShootingTime& time = file.time;
            if (time.isKnown())
                continue;
            int error = 0;
            time = service.read(folder + file.name, &error);
            if (isDriveFailure(error))
                return error;
            if (time.camera == lastCamera) {
                time.camera = lastCamera;
            } else {
                lastCamera = time.camera;
                lastOffset = offsets.msecsFor(lastCamera);
            }
            time.clockOffsetMsecs = lastOffset;
        }
        progress.setDone(int(k + 1));
    }
    return 0;
}
