#pragma once
#include "reminders/reminderhost.h"

#include <QString>

namespace cw {

// Days before a birthday that each reminder box stands for, in box order.
constexpr std::array<int, 5> reminderDistances{0, 3, 7, 14, 30};

// Due when a ticked box's distance equals the days left exactly.
bool isDue(const ReminderBoxes& boxes, int daysLeft);

// One line of the alert text, line end included.
QString alertLine(const QString& person, int daysLeft);

// "1:00:00", "59:59", "0:05": hours only when there are any.
QString FormatCountdown(int seconds);
QString countdownText(int secondsLeft);

} // namespace cw
