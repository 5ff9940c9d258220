#include "ui/services/ShootingTimes.h"

#include "core/common/TaskProgress.h"

namespace {

class MetadataShootingTimes : public ShootingTimeService {
public:
    ShootingTime read(const QByteArray& path) override { return shootingTime(path); }
};

}  // namespace

ShootingTimeService& ShootingTimeService::real() {
    static MetadataShootingTimes service;
    return service;
}

void readShootingTimes(std::vector<ListedFile>& files, const QByteArray& folder,
                       TaskProgress& progress) {
    ShootingTimeService& service = ShootingTimeService::current();
    for (size_t k = 0; k < files.size() && !progress.shouldStop(); ++k) {
        if (!files[k].time.isKnown())
            files[k].time = service.read(folder + files[k].name);
        progress.setDone(int(k + 1));
    }
}
