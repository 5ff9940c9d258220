#include "ui/platform/Timer.h"

Timer::Timer(int intervalMs, QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, &Timer::tick);
    setInterval(intervalMs);
}

void Timer::setInterval(int intervalMs) {
    interval_ = intervalMs > 0 ? intervalMs : 0;
    if (interval_ == 0) {
        timer_.stop();
    } else if (!timer_.isActive() || timer_.interval() != interval_) {
        // Writing the period it already has leaves the running count alone.
        timer_.start(interval_);
    }
}
