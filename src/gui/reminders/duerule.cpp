#include "gui/reminders/duerule.h"

#include "gui/reminders/duerows.h"
#include "store/birthdaylist.h"

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

namespace {
QString pastLine(const QString& person, qint64 daysAgo) {
    if (daysAgo == 1)
        return person + QStringLiteral("'s birthday was yesterday.\r\n");
    return person + QStringLiteral("'s birthday was ") + QString::number(daysAgo) +
           QStringLiteral(" days ago.\r\n");
}
} // namespace

QString dueLine(const ReminderBoxes& boxes, const MissedDays& missed, const DatedRow& row,
                const QDate& today) {
    if (isDue(boxes, row.daysLeft))
        return alertLine(row.person(), row.daysLeft);
    if (missed.on != today || !missed.first.isValid())
        return {};
    // The birthday whose reminders could have fallen on the missed days is the first one from the
    // first missed day on: the one before has its reminders earlier, the next a year later.
    const QDate birthday = missed.first.addDays(row.list.daysLeft(row.row, missed.first).days);
    for (size_t i = 0; i < boxes.size(); ++i) {
        const QDate reminder = birthday.addDays(-reminderDistances[i]);
        if (boxes[i] != 1 || reminder < missed.first || reminder > missed.last)
            continue;
        const qint64 ahead = today.daysTo(birthday);
        return ahead >= 0 ? alertLine(row.person(), static_cast<int>(ahead)) : pastLine(row.person(), -ahead);
    }
    return {};
}

QString tomorrowLine(const ReminderBoxes& boxes, const DatedRow& row) {
    if (boxes[0] != 1 || row.daysLeft != 1)
        return {};
    return row.person() + QStringLiteral("'s birthday is tomorrow.\r\n");
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
