#include "formats/vcarddate.h"

#include "core/age.h"

namespace cw {

namespace {
bool allDigits(QStringView text) {
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// Years that stand for none: vCard 4's placeholder and the one Apple's address book writes.
bool isPlaceholderYear(int year) {
    return year == 0 || year == 1604;
}
} // namespace

std::optional<CardDate> cardDate(const QString& value, bool yearOmitted, const QDate& today) {
    QStringView text = QStringView(value).trimmed();
    const qsizetype time = text.indexOf(QLatin1Char('T'), 1, Qt::CaseInsensitive);
    if (time > 0)
        text.truncate(time);
    int given = 0;
    if (text.startsWith(QLatin1String("--"))) {
        text = text.sliced(2);
    } else {
        if (text.size() < 4 || !allDigits(text.first(4)))
            return std::nullopt;
        given = text.first(4).toInt();
        text = text.sliced(4);
        if (text.startsWith(QLatin1Char('-')))
            text = text.sliced(1);
    }
    QString monthDay = text.toString();
    if (monthDay.size() == 5 && monthDay[2] == QLatin1Char('-'))
        monthDay.remove(2, 1);
    if (monthDay.size() != 4 || !allDigits(monthDay))
        return std::nullopt;
    CardDate date{0, monthDay.left(2).toInt(), monthDay.right(2).toInt()};
    // Without a year February 29 exists (0000 is a leap year of the calendar the format uses).
    const bool noYear = yearOmitted || isPlaceholderYear(given);
    if (!QDate(noYear ? 2000 : given, date.month, date.day).isValid())
        return std::nullopt;
    if (!noYear && isKnownYear(given, today))
        date.year = given;
    return date;
}

} // namespace cw
