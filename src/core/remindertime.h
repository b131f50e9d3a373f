#pragma once
// Reminders at a time of day the user chooses: the day's reminder at its time instead of as the day
// begins, and one the evening before. Everything here works on the wall clock as the clock gives it
// (its date and time of day), so a time skipped by daylight saving is reached at the first minute
// after the gap, and the days already given, kept apart, make a repeated hour or a clock set back
// give nothing twice.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

namespace cw {

// "HH:MM" on the 24-hour clock; nothing for an absent, empty or damaged text.
std::optional<QTime> timeOfDayFromText(const QString& text);
QString timeOfDayText(const QTime& time);

struct ReminderTimes {
    std::optional<QTime> dayAt;     // nothing: as soon as the day begins
    std::optional<QTime> eveningAt; // nothing: no reminder the evening before
    bool any() const { return dayAt || eveningAt; }
};

// The days whose timed reminders were given; invalid dates for none.
struct GivenReminders {
    QDate day;     // the day whose reminder was given at its time (or at a start after it)
    QDate evening; // the evening whose reminder was given
};

// Whether the reminder of day has been given, when given is the last day it was: that day, or the day
// after (the clock set back, a time zone to the west). A given day further ahead was written under a
// wrong clock and does not count.
bool isGiven(const QDate& given, const QDate& day);

// Whether the wall clock has reached the time on its date.
inline bool hasReached(const QDateTime& now, const QTime& at) {
    return now.time() >= at;
}

// What is due at now: the day's reminder, the evening's, or neither.
struct DueReminders {
    bool day = false;
    bool evening = false;
};
DueReminders dueReminders(const ReminderTimes& times, const GivenReminders& given, const QDateTime& now);

// The time of the next reminder still to come, for the tray's tip; nothing when no time is set.
std::optional<QTime> nextReminderTime(const ReminderTimes& times, const GivenReminders& given,
                                      const QDateTime& now);

} // namespace cw
