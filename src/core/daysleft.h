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

DaysLeft daysLeft(int month, int day, const QDate& today);
DaysLeft daysLeft(const QVariant& month, const QVariant& day, const QDate& today);

} // namespace cw
