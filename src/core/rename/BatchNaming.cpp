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
      next_(start),
      showsTime_(prefix_.showsTime() || suffix_.showsTime()) {
    writeTexts();  // for 1970-01-01 00:00:00, writtenSecond_'s time
}

void BatchNaming::writeTexts() {
    writtenPrefix_.truncate(0);  // keeping its room
    prefix_.append(writtenPrefix_, clock_, &prefixTimesAt_);
    writtenSuffix_.truncate(0);
    suffix_.append(writtenSuffix_, clock_, &suffixTimesAt_);
}

void BatchNaming::followTime(qint64 localMsecs) {
    if (!showsTime_) {
        if (dayOf(localMsecs) != clock_.day) {
            clock_ = wallClock(localMsecs);
            writeTexts();
        }
        return;
    }
    const qint64 second = secondOf(localMsecs);
    if (second == writtenSecond_)
        return;
    writtenSecond_ = second;
    const qint64 secondOfDay = second - clock_.day * 24 * 60 * 60;
    if (secondOfDay < 0 || secondOfDay >= 24 * 60 * 60) {
        clock_ = wallClock(localMsecs);
        writeTexts();
        return;
    }
    if (!prefixTimesAt_.empty())
        NameText::writeTimesOfDay(writtenPrefix_.data(), prefixTimesAt_, int(secondOfDay));
    if (!suffixTimesAt_.empty())
        NameText::writeTimesOfDay(writtenSuffix_.data(), suffixTimesAt_, int(secondOfDay));
}

int BatchNaming::nextSerial(qint64 localMsecs) {
    if (restartEachDay_) {
        const qint64 day = dayOf(localMsecs);
        if (day != previousDay_)
            next_ = start_;
        previousDay_ = day;
    }
    return next_++;
}

void BatchNaming::appendStem(QByteArray& out, QByteArrayView ownStem, qint64 localMsecs, int serial,
                             int width) {
    if (ownName_) {
        appendOwnStemWithSerial(out, ownStem, serial, width);
        return;
    }
    if (usesTimes_)
        followTime(localMsecs);
    out += writtenPrefix_;
    appendSerial(out, serial, width);
    out += writtenSuffix_;
}

qsizetype BatchNaming::addedSize(int width) const {
    return prefix_.writtenSize() + width + suffix_.writtenSize();
}
