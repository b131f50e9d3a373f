#include "core/clock.h"

namespace cw {

namespace {
class SystemClock : public Clock {
  public:
    QDate today() const override { return QDate::currentDate(); }
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

std::unique_ptr<Clock>& slot() {
    static std::unique_ptr<Clock> clock;
    return clock;
}
} // namespace

Clock& currentClock() {
    if (!slot())
        slot() = std::make_unique<SystemClock>();
    return *slot();
}

void setCurrentClock(std::unique_ptr<Clock> clock) {
    slot() = std::move(clock);
}

} // namespace cw
