#pragma once
// A clock a test sets by hand, for the store's date() as for the window.
#include "core/clock.h"

#include <utility>

namespace cwtest {

class FakeClock : public cw::Clock {
  public:
    mutable QDateTime current{QDate(2026, 12, 7), QTime(9, 0)};
    int secondsPerRead = 0; // a clock that moves as it is read makes any work long
    QDate today() const override { return current.date(); }
    QDateTime now() const override { return std::exchange(current, current.addSecs(secondsPerRead)); }
};

} // namespace cwtest
