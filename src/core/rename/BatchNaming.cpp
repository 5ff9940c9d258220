#include "core/rename/BatchNaming.h"

#include "core/rename/NameRules.h"

bool namesShowShootingTimes(const RenameRequest& request) {
    const auto holdsField = [](QStringView text) {
        for (qsizetype at = text.indexOf(u'<'); at >= 0; at = text.indexOf(u'<', at + 1)) {
            if (dateFieldAt(text, at))
                return true;
        }
        return false;
    };
    return !request.ownName && (holdsField(request.prefix) || holdsField(request.suffix));
}

BatchNaming::BatchNaming(const RenameRequest& request, int start)
    : ownName_(request.ownName),
      prefix_(ownName_ ? QString() : request.prefix),
      suffix_(ownName_ ? QString() : request.suffix),
      usesTimes_(prefix_.hasDateFields() || suffix_.hasDateFields()),
      // A name that shows no day has no day to start again on: its serial
      // is all that tells apart two files taken at one time of day.
      restartEachDay_(request.restartSerialsEachDay && (prefix_.showsDay() || suffix_.showsDay())),
      start_(start),
      next_(start) {}

int BatchNaming::nextSerial(const ShootingTime& time) {
    if (restartEachDay_) {
        const qint64 day = wallClock(time.correctedMsecs()).day;
        if (day != previousDay_)
            next_ = start_;
        previousDay_ = day;
    }
    return next_++;
}

void BatchNaming::appendName(QByteArray& out, QByteArrayView entry, const ShootingTime& time,
                             int serial, int width) const {
    if (ownName_) {
        appendOwnNameWithSerial(out, entry, serial, width);
        return;
    }
    const WallClock clock = usesTimes_ ? wallClock(time.correctedMsecs()) : WallClock();
    prefix_.append(out, clock);
    appendSerial(out, serial, width);
    suffix_.append(out, clock);
    appendDotAndExtension(out, entry);
}

qsizetype BatchNaming::addedSize(int width) const {
    return prefix_.writtenSize() + width + suffix_.writtenSize();
}
