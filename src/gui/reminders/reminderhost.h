#pragma once
// What the alert window reads from and writes into the main window: the snooze members, the reminder
// timer and the ticked reminder boxes.
#include <QDate>
#include <QDateTime>

#include <array>

namespace cw {

class TimerControl;

// The values of Check1, Check2, Check4, Check5 and Check6: 1 ticked, 0 not.
using ReminderBoxes = std::array<int, 5>;

// The days from first to last went by without a reminder pass (the computer was off or asleep, or
// the program not running); on the day `on` their reminders are given as well.
struct MissedDays {
    QDate first;
    QDate last;
    QDate on;
};

class ReminderHost {
  public:
    virtual ~ReminderHost() = default;
    virtual ReminderBoxes reminderBoxes() const = 0;
    virtual TimerControl& reminderTimer() = 0;
    virtual MissedDays missedDays() const { return {}; }

    int duration = 0;       // snooze length in seconds; 0: no snooze runs
    int mysec = 0;          // seconds counted in the current snooze cycle
    bool Dinalabel = false; // the label shows the countdown while a snooze runs
    QDateTime cycleBegan;   // when the current snooze cycle began on the clock

    // A new cycle counts from nought and from now.
    void beginCycle(const QDateTime& now) {
        mysec = 0;
        cycleBegan = now;
    }
};

} // namespace cw
