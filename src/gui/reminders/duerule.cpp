#include "gui/reminders/duerule.h"

#include "core/age.h"
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

namespace {
// Said before the period; a birthday's years are the age reached, an anniversary's the years since.
QString yearsTail(const DayOfLine& day, bool passed) {
    if (day.years <= 0)
        return {};
    if (day.kind == DateKind::Anniversary)
        return QStringLiteral(" (%1 %2)")
            .arg(day.years)
            .arg(QLatin1String(day.years == 1 ? "year" : "years"));
    return (passed ? QStringLiteral(" (turned %1)") : QStringLiteral(" (turns %1)")).arg(day.years);
}

// The years a row reaches on the occurrence of its day on the given date.
DayOfLine dayOf(const DatedRow& row, const QDate& occurrence) {
    const DateExtras& extras = row.list.extras(row.row);
    return {extras.kind, yearsOn(extras.year, occurrence, extras.death)};
}

// The sentence about a row's day: its name, its kind of day, when, the years and the period. A
// right-to-left name is set apart, so the rest of the sentence keeps its order after it; a line that
// begins with it is marked left to right, as the sentence is, or it would be laid out from the right by
// the name's first letter.
QString sentence(const QString& person, const DayOfLine& day, const QString& when, bool passed) {
    const QString name = isolatedName(person);
    return (name.size() == person.size() ? name : QChar(0x200e) + name) +
           (day.kind == DateKind::Anniversary ? QStringLiteral("'s anniversary")
                                              : QStringLiteral("'s birthday")) +
           when + yearsTail(day, passed) + QStringLiteral(".\r\n");
}
} // namespace

QString alertLine(const QString& person, int daysLeft, const DayOfLine& day) {
    QString when;
    if (daysLeft == 0)
        when = QStringLiteral(" is today");
    else if (daysLeft > 0)
        when = QStringLiteral(" is in ") + QString::number(daysLeft) + QStringLiteral(" days");
    else if (daysLeft == -1)
        when = QStringLiteral(" was yesterday");
    else
        when = QStringLiteral(" was ") + QString::number(-daysLeft) + QStringLiteral(" days ago");
    return sentence(person, day, when, daysLeft < 0);
}

QString dueLine(const ReminderBoxes& boxes, const MissedDays& missed, const DatedRow& row,
                const QDate& today) {
    if (isDue(boxes, row.daysLeft))
        return alertLine(row.person(), row.daysLeft, dayOf(row, today.addDays(row.daysLeft)));
    if (missed.on != today || !missed.first.isValid())
        return {};
    // The birthday whose reminders could have fallen on the missed days is the first one from the
    // first missed day on: the one before has its reminders earlier, the next a year later.
    const QDate birthday = missed.first.addDays(row.list.daysLeft(row.row, missed.first).days);
    for (size_t i = 0; i < boxes.size(); ++i) {
        const QDate reminder = birthday.addDays(-reminderDistances[i]);
        if (boxes[i] != 1 || reminder < missed.first || reminder > missed.last)
            continue;
        return alertLine(row.person(), static_cast<int>(today.daysTo(birthday)), dayOf(row, birthday));
    }
    return {};
}

QString tomorrowLine(const ReminderBoxes& boxes, const DatedRow& row, const QDate& today) {
    if (boxes[0] != 1 || row.daysLeft != 1)
        return {};
    return sentence(row.person(), dayOf(row, today.addDays(1)), QStringLiteral(" is tomorrow"), false);
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
