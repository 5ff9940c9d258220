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

int readShootingTimes(std::vector<ListedFile>& files, const QByteArray& folder,
                      TaskProgress& progress) {
    ShootingTimeService& service = ShootingTimeService::current();
    for (size_t k = 0; k < files.size() && !progress.shouldStop(); ++k) {
        if (!files[k].time.isKnown()) {
            int error = 0;
            files[k].time = service.read(folder + files[k].name, &error);
            if (isDriveFailure(error))
                return error;
        }
        progress.setDone(int(k + 1));
    }
    return 0;
}
