#pragma once

#include <QObject>
#include <QTimer>

// A timer whose period is its on/off switch: a period of 0 stops it, any
// other period (in milliseconds) keeps it ticking at that rate.
class Timer : public QObject {
    Q_OBJECT
public:
    explicit Timer(int intervalMs, QObject* parent = nullptr);

    int Interval() const { return interval_; }
    void setInterval(int intervalMs);

signals:
    void tick();

private:
    QTimer timer_;
    int interval_ = 0;
};
