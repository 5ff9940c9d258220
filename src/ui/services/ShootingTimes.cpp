#include "ui/services/ShootingTimes.h"

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
