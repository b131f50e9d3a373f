#include "core/daysleft.h"

#include "core/apperror.h"

#include <array>
#include <atomic>
#include <cmath>
#include <limits>

namespace cw {

QDate buildDate(int year, int month, int day) {
    const int monthIndex = month - 1;
    const int yearShift = monthIndex >= 0 ? monthIndex / 12 : -((11 - monthIndex) / 12);
    const int normalisedMonth = monthIndex - yearShift * 12 + 1;
    const QDate first(year + yearShift, normalisedMonth, 1);
    const QDate built = first.isValid() ? first.addDays(day - 1) : QDate();
    if (!built.isValid() || built.year() < 100 || built.year() > 9999)
        throw AppError(QStringLiteral("Invalid procedure call or argument"));
    return built;
}

int storedNumber(const QVariant& value) {
    if (value.typeId() == QMetaType::LongLong) {
        // What the store hands back for a whole number: no conversion needed.
        const qlonglong whole = value.toLongLong();
        if (whole < std::numeric_limits<qint16>::min() || whole > std::numeric_limits<qint16>::max())
            throw AppError(QStringLiteral("Overflow"));
        return static_cast<int>(whole);
    }
    if (value.isNull())
        throw AppError(QStringLiteral("Invalid use of Null"));
    bool ok = false;
    double number = 0;
    if (value.typeId() == QMetaType::QString) {
        number = value.toString().trimmed().toDouble(&ok);
    } else {
        number = value.toDouble(&ok);
    }
    if (!ok || !std::isfinite(number))
        throw AppError(QStringLiteral("Type mismatch"));
    // Whole numbers round half to even, as the store's 16-bit conversion always has.
    const double rounded = std::nearbyint(number);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        throw AppError(QStringLiteral("Overflow"));
    return static_cast<int>(rounded);
}

namespace {
std::atomic<LeapDayRule> chosenLeapDayRule{LeapDayRule::March1};
} // namespace

void setLeapDayRule(LeapDayRule rule) {
    chosenLeapDayRule.store(rule);
}

LeapDayRule leapDayRule() {
    return chosenLeapDayRule.load();
}

QDate occurrenceIn(int year, int month, int day) {
    if (month == 2 && day == 29 && !QDate::isLeapYear(year) && leapDayRule() == LeapDayRule::February28)
        return QDate(year, 2, 28);
    return buildDate(year, month, day);
}

namespace {
DaysLeft computeDaysLeft(int month, int day, const QDate& today) {
    const auto from = [&](int year) { return today.daysTo(occurrenceIn(year, month, day)); };
    int year = today.year();
    qint64 difference = from(year);
    if (difference >= 0 && difference <= 365)
        return {difference == 0 ? DaysLeft::Case::Today : DaysLeft::Case::Later,
                static_cast<int>(difference)};
    // This year's date has passed; or a month or day beyond the calendar (month 13 or -1, day 400, as
    // a file edited by hand may hold) rolls it more than a year away, on either side. The birthday is
    // then the first of the years' built dates from today on, as a real date's would be.
    year -= static_cast<int>(difference / 366);
    for (difference = from(year); difference < 0;)
        difference = from(++year);
    while (difference > 365)
        difference = from(--year);
    return {year > today.year() ? DaysLeft::Case::Passed : DaysLeft::Case::Later,
            static_cast<int>(difference)};
}

// A pass over a long list asks about the same few hundred months and days again and again; each
// answer holds for the whole of today.
struct Memo {
    qint64 day = std::numeric_limits<qint64>::min();
    LeapDayRule rule = LeapDayRule::March1;
    std::array<DaysLeft, 12 * 32> answers{};
    std::array<bool, 12 * 32> known{};
};
} // namespace

DaysLeft daysLeft(int month, int day, const QDate& today) {
    if (month < 1 || month > 12 || day < 0 || day > 31)
        return computeDaysLeft(month, day, today);
    static thread_local Memo memo;
    if (memo.day != today.toJulianDay() || memo.rule != leapDayRule()) {
        memo.known.fill(false);
        memo.day = today.toJulianDay();
        memo.rule = leapDayRule();
    }
    const size_t slot = static_cast<size_t>((month - 1) * 32 + day);
    if (!memo.known[slot]) {
        memo.answers[slot] = computeDaysLeft(month, day, today);
        memo.known[slot] = true;
    }
    return memo.answers[slot];
}

DaysLeft daysLeft(const QVariant& month, const QVariant& day, const QDate& today) {
    return daysLeft(storedNumber(month), storedNumber(day), today);
}

} // namespace cw
