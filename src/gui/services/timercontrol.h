#pragma once
// A timer driven the way the program's code drives it: an interval and an enabled flag. It ticks
// while enabled with a non-zero interval; enabling it begins a fresh period.
#include <QObject>
#include <QTimer>

namespace cw {

class TimerControl : public QObject {
    Q_OBJECT
public:
    explicit TimerControl(QObject* parent = nullptr);
    int Interval() const { return interval_; }
    bool Enabled() const { return enabled_; }
    void setInterval(int milliseconds);
    void setEnabled(bool enabled);
    // Stop: interval 0, then disabled. Restart: 1000 ms, then enabled.
    void stop();
    void restart();
    bool isTicking() const { return timer_.isActive(); }

signals:
    void Timer();

private:
    void apply();
    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = true;
};

} // namespace cw
