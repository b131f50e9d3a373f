#pragma once
// The one date rule of the program: whole days from today to the next occurrence of a month and day.
#include <QDate>
#include <QVariant>

namespace cw {

struct DaysLeft {
    enum class Case { Passed, Today, Later };
    Case when;
    int days; // 0 to 365
};

// Builds a date that never rejects its month and day: month 13 is January of the next year, month 0
// December of the year before, and the day counts on from the first of the month (day 0 is the last
// day of the month before). Throws AppError outside the years 100 to 9999.
QDate buildDate(int year, int month, int day);

// A stored month or day as a 16-bit whole number; throws AppError for null, non-numbers and values
// out of range.
int storedNumber(const QVariant& value);

// Where a February 29 falls in a common year: on March 1, as the date rule gives it, or on February 28.
// One choice for the whole program, set from the settings as it starts and whenever they change.
enum class LeapDayRule { March1, February28 };
void setLeapDayRule(LeapDayRule rule);
LeapDayRule leapDayRule();

// The day a month and day fall on in year: the built date, with February 29 where the rule puts it.
QDate occurrenceIn(int year, int month, int day);

DaysLeft daysLeft(int month, int day, const QDate& today);
DaysLeft daysLeft(const QVariant& month, const QVariant& day, const QDate& today);

} // namespace cw
