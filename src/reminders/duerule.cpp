#include "reminders/duerule.h"

namespace cw {

bool isDue(const ReminderBoxes& boxes, int daysLeft) {
    for (size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i] == 1 && reminderDistances[i] == daysLeft)
            return true;
    }
    return false;
}

QString alertLine(const QString& person, int daysLeft) {
    if (daysLeft == 0)
        return person + QStringLiteral("'s birthday is today.\r\n");
    return person + QStringLiteral("'s birthday is in ") + QString::number(daysLeft) +
           QStringLiteral(" days.\r\n");
}

QString FormatCountdown(int seconds) {
    const auto twoDigits = [](int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };
    const int hours = seconds / 3600;
    if (hours > 0)
        return QString::number(hours) + QLatin1Char(':') + twoDigits(seconds / 60 - hours * 60) +
               QLatin1Char(':') + twoDigits(seconds % 60);
    return QString::number(seconds / 60) + QLatin1Char(':') + twoDigits(seconds % 60);
}

QString countdownText(int secondsLeft) {
    return QStringLiteral("You will be reminded of birthday in ") + FormatCountdown(secondsLeft);
}

} // namespace cw
