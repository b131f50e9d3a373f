#include "gui/services/timercontrol.h"

namespace cw {

TimerControl::TimerControl(QObject* parent) : QObject(parent) {
    timer_.setTimerType(Qt::CoarseTimer);
    connect(&timer_, &QTimer::timeout, this, &TimerControl::Timer);
}

void TimerControl::setInterval(int milliseconds) {
    interval_ = milliseconds;
    apply();
}

void TimerControl::setEnabled(bool enabled) {
    const bool restarting = enabled && !enabled_;
    enabled_ = enabled;
    if (restarting)
        timer_.stop(); // a fresh period begins
    apply();
}

void TimerControl::stop() {
    setInterval(0);
    setEnabled(false);
}

void TimerControl::restart() {
    setInterval(1000);
    setEnabled(true);
}

void TimerControl::apply() {
    if (!enabled_ || interval_ <= 0) {
        timer_.stop();
        return;
    }
    if (!timer_.isActive() || timer_.interval() != interval_)
        timer_.start(interval_);
}

} // namespace cw
