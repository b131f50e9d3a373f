#pragma once
// The walk's model of what the README promises: the days left, the due rule, the name rule, the
// alert's lines. Written again here, none of it taken from the program.
#include <QDate>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <compare>
#include <utility>
#include <vector>

namespace walkmodel {

inline const QStringList monthNames{"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array aheadDays{0, 3, 7, 14, 30};        // Check1, Check2, Check4, Check5, Check6
constexpr std::array snoozes{3600, 7200, 21600, 43200}; // Option1..Option4

// Days to the next month/day; February 29 falls on March 1 in common years.
inline int daysLeft(QDate today, int month, int day) {
    for (int year = today.year();; ++year) {
        const bool moved = month == 2 && day == 29 && !QDate::isLeapYear(year);
        const QDate date = moved ? QDate(year, 3, 1) : QDate(year, month, day);
        if (date >= today)
            return static_cast<int>(today.daysTo(date));
    }
}
inline bool breaksLine(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029;
}
// Every way in makes these characters blanks.
inline QString blanked(QString name) {
    std::replace_if(name.begin(), name.end(), breaksLine, QLatin1Char(' '));
    return name;
}
// A text in a message, its invisible characters spelt out.
inline QString spelt(const QString& text) {
    QString out;
    for (const QChar c : text)
        out += breaksLine(c) ? QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0')) : QString(c);
    return '"' + out + '"';
}

struct Row {
    QString name;
    int month;
    int day;
    int year = 0; // typed into the editor's Year box; 0: none
    std::weak_ordering operator<=>(const Row&) const = default;
    // The years turned on the day's occurrence on the given date, as the list's Age cell shows them.
    QString age(QDate occurrence) const {
        return year && occurrence.year() > year ? QString::number(occurrence.year() - year) : QString();
    }
    QString key() const { return name + ',' + monthNames[month - 1] + ' ' + QString::number(day); }
    // As a line of the text export.
    QString line() const { return key() + (year ? ' ' + QString::number(year) : QString()); }
};

// Empty when both hold the same lines; else a line the first has alone and one the second has alone.
inline QString differs(QStringList want, QStringList got) {
    for (const QString& line : QStringList(want))
        if (got.removeOne(line))
            want.removeOne(line);
    return want.isEmpty() && got.isEmpty() ? QString()
                                           : "lacks " + spelt(want.value(0)) + ", has " + spelt(got.value(0));
}

using Lines = std::vector<std::pair<int, QString>>; // (month * 32 + day, alert line) in month/day order

// The alert's lines in month/day order; the lines of one date may come in any order.
inline bool sameAlert(const Lines& want, const QString& text) {
    QStringList got = text.split(QStringLiteral("\r\n"));
    if (!got.takeLast().isEmpty() || got.size() != static_cast<qsizetype>(want.size()))
        return false;
    for (size_t i = 0, j = 0; i < want.size(); i = j) {
        QStringList date;
        for (j = i; j < want.size() && want[j].first == want[i].first; ++j)
            date << want[j].second;
        if (!differs(date, got.mid(static_cast<qsizetype>(i), static_cast<qsizetype>(j - i))).isEmpty())
            return false;
    }
    return true;
}

struct Alert {
    QString text;
    int answer; // 0 to 4: that option, then OK; 5: the close box
    bool plain;
};

} // namespace walkmodel
