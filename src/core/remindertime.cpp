#include "core/remindertime.h"

#include <QRegularExpression>

namespace cw {

std::optional<QTime> timeOfDayFromText(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^([01][0-9]|2[0-3]):([0-5][0-9])$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return QTime(match.captured(1).toInt(), match.captured(2).toInt());
}

QString timeOfDayText(const QTime& time) {
    return time.toString(QStringLiteral("HH:mm"));
}

bool isGiven(const QDate& given, const QDate& day) {
    return given.isValid() && given >= day && given <= day.addDays(1);
}

DueReminders dueReminders(const ReminderTimes& times, const GivenReminders& given, const QDateTime& now) {
    const QDate today = now.date();
    DueReminders due;
    due.day = times.dayAt && hasReached(now, *times.dayAt) && !isGiven(given.day, today);
    due.evening = times.eveningAt && hasReached(now, *times.eveningAt) && !isGiven(given.evening, today);
    return due;
}

std::optional<QTime> nextReminderTime(const ReminderTimes& times, const GivenReminders& given,
                                      const QDateTime& now) {
    // Today's reminders still to come, the earlier first; when both are past or given, tomorrow's
    // first.
    const QDate today = now.date();
    std::optional<QTime> next;
    std::optional<QTime> earliest;
    const auto consider = [&](const std::optional<QTime>& at, const QDate& givenOn) {
        if (!at)
            return;
        if (!earliest || *at < *earliest)
            earliest = at;
        if (!hasReached(now, *at) && !isGiven(givenOn, today) && (!next || *at < *next))
            next = at;
    };
    consider(times.dayAt, given.day);
    consider(times.eveningAt, given.evening);
    return next ? next : earliest;
}

} // namespace cw
