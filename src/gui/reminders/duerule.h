#pragma once
#include "core/birthdayrecord.h"
#include "gui/reminders/reminderhost.h"

#include <QString>

namespace cw {

// Days before a birthday that each reminder box stands for, in box order.
constexpr std::array<int, 5> reminderDistances{0, 3, 7, 14, 30};

// Due when a ticked box's distance equals the days left exactly.
bool isDue(const ReminderBoxes& boxes, int daysLeft);

// What a line tells of the day beyond its name and distance: birthday or anniversary, and the years
// reached on it (0: none to tell).
struct DayOfLine {
    DateKind kind = DateKind::Birthday;
    int years = 0;
};

// One line of the alert text, line end included: "Ann's birthday is today." or "... is in 3 days.",
// with " (turns 40)" or " (40 years)" before the period when the years are known. daysLeft below 0
// tells a day already passed ("... was yesterday.", "... was 3 days ago (turned 30).").
QString alertLine(const QString& person, int daysLeft, const DayOfLine& day = {});

struct DatedRow;

// The row's line in today's alert, or an empty text when it has none: the line of a due birthday, or
// of one whose reminder fell on a missed day ("Bob's birthday is in 5 days.", or, when the birthday
// itself was missed, "Ann's birthday was yesterday." / "Ann's birthday was 3 days ago."). A row due
// today gets its own line only.
QString dueLine(const ReminderBoxes& boxes, const MissedDays& missed, const DatedRow& row,
                const QDate& today);

// The row's line in the evening's alert ("Ann's birthday is tomorrow."), when its reminder on the day
// is ticked and the day is tomorrow; else an empty text.
// With today, a row with a year also tells the years it reaches tomorrow.
QString tomorrowLine(const ReminderBoxes& boxes, const DatedRow& row, const QDate& today = {});

// "1:00:00", "59:59", "0:05": hours only when there are any.
QString FormatCountdown(int seconds);
QString countdownText(int secondsLeft);

} // namespace cw
