// The reminder check, the alert around it, the once-a-second tick with its countdown, and the new day.
#include "gui/mainwindow/form1.h"

#include "gui/addressbooks/addressbooksync.h"
#include "gui/reminders/duerows.h"
#include "gui/reminders/duerule.h"
#include "gui/reminders/form3.h"
#include "gui/services/datafolder.h"
#include "gui/services/errorreport.h"
#include "gui/services/labeltext.h"
#include "gui/services/services.h"
#include "gui/services/timercontrol.h"
#include "platform/settings.h"
#include "platform/statefile.h"

#include <QLabel>

#include <algorithm>

namespace cw {

namespace {
constexpr int longestCatchUp = 30;

// The remembered "Last Reminder Day". A second date that is not one of the 30 days before the first
// is damaged and counts as absent, as does a first that is not a date.
struct ReminderDay {
    QDate last;
    QDate caughtUpFrom;
};
ReminderDay storedReminderDay() {
    const QStringList stored = readState(StateKey::LastReminderDay).split(QLatin1Char(' '));
    ReminderDay day{QDate::fromString(stored.value(0), Qt::ISODate),
                    QDate::fromString(stored.value(1), Qt::ISODate)};
    if (!day.last.isValid() || day.caughtUpFrom < day.last.addDays(-longestCatchUp) ||
        day.caughtUpFrom >= day.last)
        day.caughtUpFrom = QDate();
    return day;
}
} // namespace

bool Form1::HasBirthdayToday() {
    return hasBirthdayTodayIn(nullptr);
}

bool Form1::hasBirthdayTodayIn(const ListedRows* snapshot, const KnownDueRows* known) {
    ErrorGuard guard(Location::Form1_HasBirthdayToday);
    bool result = false;
    const ReminderBoxes boxes = reminderBoxes();
    const MissedDays missed = missedDays();
    const QDate today = services().clock().today();
    visitDatedRows(
        guard,
        [&](const DatedRow& row) {
            result = !dueLine(boxes, missed, row, today).isEmpty() && !(known && known->contains(row, today));
            return !result; // the first due row answers
        },
        snapshot);
    return result;
}

void Form1::showAlert(const ListedRows* snapshot, const KnownDueRows* known) {
    Form3 alert(*this, this, snapshot, known);
    alert.exec();
}

// At start-up, while a snooze runs, or on a new day, a due birthday opens the alert with the timer
// stopped around it. The test command's refills only stop and restart the timer.
void Form1::raiseAlertIfDue(bool isTest, bool newDay, const ListedRows* snapshot) {
    // The day's pass waits for the time of day the user chose, if any.
    const bool dayPass = (startingUp || newDay) && !isTest && takeDayReminder();
    if (!hasBirthdayTodayIn(snapshot) || !(dayPass || duration > 0))
        return;
    Timer1->stop();
    if (!isTest)
        showAlert(snapshot);
    if (!closed_) // a session that ended behind the alert keeps the timer stopped
        Timer1->restart();
}

// A sync's refill is not the user's edit: the rows it brought that are due today, and that no refill
// of the day found due before, come up in one alert of their own, snooze or not. A snooze that runs
// keeps its time unless that alert sets another.
void Form1::announceSyncedRows(const ListedRows& snapshot) {
    if (!hasBirthdayTodayIn(&snapshot, &knownDue_))
        return;
    const int snooze = duration;
    const int counted = mysec;
    const QDateTime began = cycleBegan;
    Timer1->stop();
    showAlert(&snapshot, &knownDue_);
    if (snooze > 0 && duration == snooze) {
        mysec = counted;
        cycleBegan = began;
    }
    if (!closed_)
        Timer1->restart();
}

void Form1::Timer1_Timer() {
    if (closed_ || retryOpeningTheStore())
        return;
    // A new day's pass is this tick's work: an alert it raised may have just set a new snooze,
    // whose countdown starts at the next tick like any other.
    if (checkForNewDay() || giveTimedReminders())
        return;
    ErrorGuard guard(Location::Form1_Timer1_Timer);
    if (guard.test(1, [&] { return duration <= 0; })) {
        guard.step(1, [&] { setLabelText(Label1, savedLabel); });
        return;
    }
    guard.step(2, [&] {
        catchUpWithTheClock();
        setLabelText(Label1, Dinalabel ? countdownText(duration - mysec) : savedLabel);
    });
    guard.step(3, [&] { ++mysec; });
    if (guard.test(4, [&] { return mysec == duration; })) {
        if (guard.test(5, [&] { return HasBirthdayToday(); })) {
            guard.step(6, [&] { Timer1->stop(); });
            guard.step(7, [&] { showAlert(); });
            guard.step(8, [&] {
                if (!closed_)
                    Timer1->restart();
            });
        }
        guard.step(9, [&] { beginCycle(services().clock().now()); });
    }
}

// The ticks count a snooze's seconds, but no tick comes while the machine sleeps: the first one after
// a wake counts the seconds that passed since the cycle began, up to its last one, so the countdown
// shows the time left and the cycle ends at its time on the clock. Without a sleep the ticks keep
// pace with the clock and this changes nothing. Without the catch-up the ticks alone count.
void Form1::catchUpWithTheClock() {
    if (!cycleBegan.isValid() || !catchingUp())
        return;
    const qint64 passed = cycleBegan.secsTo(services().clock().now());
    const qint64 counted = std::min<qint64>(passed - 1, duration - 1);
    if (counted > mysec)
        mysec = static_cast<int>(counted);
}

// A program that stays in the tray for days follows the calendar: once per new date the list is
// refilled as at start-up, and a birthday due under the ticked options raises the alert, snooze or
// not, hidden window or not. A running snooze's cycle starts again with that pass, so a cycle that
// ran out during a sleep does not bring the same alert back. A date whose reminders were given (seen
// before in this run, or at most a day before the remembered day: the clock set back, a time zone to
// the west) gets its days left again but no second pass. Without the catch-up a new date only
// refreshes the list, as the snooze alone brings alerts then.
bool Form1::checkForNewDay() {
    if (startingUp || inListPass_ || !listDay_.isValid())
        return false;
    const QDate today = services().clock().today();
    if (today == listDay_)
        return false;
    const QDate last = storedReminderDay().last;
    const bool given = last >= today && last <= today.addDays(1);
    if (given)
        noteReminderDay(today); // the days caught up on it come back with it
    if (!catchingUp() || given || passedDays_.count(today) > 0) {
        refill(true, false); // the days left follow the clock; a running snooze counts on as usual
        return false;
    }
    if (duration > 0)
        beginCycle(services().clock().now());
    refill(false, true);
    return true;
}

// The days since the last day whose pass ran, in this run or an earlier one, were missed: at most the
// last 30 of them are caught up today. The first start ever and a clock set back catch up nothing. A
// remembered day more than a day after today was written under a wrong clock: today's pass runs, the
// day is set back to today and the gap is not caught up. The state keeps that day and, while it is
// today, the first day caught up ("2026-12-07 2026-12-04"), so a start later the same day gives the
// same lines.
void Form1::noteReminderDay(const QDate& today) {
    const ReminderDay stored = storedReminderDay();
    const bool wrongClock = stored.last > today.addDays(1);
    if (wrongClock)
        missedDays_ = {}; // days caught up under that clock were not missed
    if (stored.last.isValid() && stored.last < today.addDays(-1))
        missedDays_ = {std::max(stored.last.addDays(1), today.addDays(-longestCatchUp)), today.addDays(-1),
                       today};
    else if (stored.last == today && stored.caughtUpFrom.isValid())
        missedDays_ = {stored.caughtUpFrom, today.addDays(-1), today};
    if (stored.last >= today && !wrongClock)
        return;
    QString text = today.toString(Qt::ISODate);
    if (missedDays_.on == today)
        text += QLatin1Char(' ') + missedDays_.first.toString(Qt::ISODate);
    writeState(StateKey::LastReminderDay, text);
}

// The store was busy or could not be read when the window loaded, which was reported then. Each tick
// tries again without waiting, and the first that opens it fills the list and runs the day's pass.
bool Form1::retryOpeningTheStore() {
    if (!storeOpenPending_ || startingUp || inListPass_)
        return false;
    try {
        openSharedConnectionWithoutWaiting();
    } catch (const std::exception&) {
        return true;
    }
    storeOpenPending_ = false;
    refill(false, true);
    addressBooks->start();
    return true;
}

} // namespace cw
