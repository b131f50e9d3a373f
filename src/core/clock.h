#pragma once
// Today's date and the time, from one clock that tests can set. It needs no display, so the command
// line and the store reach it without the window's services.
#include <QDate>
#include <QDateTime>

#include <memory>

namespace cw {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
    virtual QDateTime now() const = 0;
};

// The machine clock unless another was set.
Clock& currentClock();
// Null puts the machine clock back.
void setCurrentClock(std::unique_ptr<Clock> clock);

} // namespace cw
