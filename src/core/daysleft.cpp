#include "core/daysleft.h"

#include "core/apperror.h"

#include <array>
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
DaysLeft computeDaysLeft(int month, int day, const QDate& today) {
    const qint64 difference = today.daysTo(buildDate(today.year(), month, day));
    if (difference < 0) {
        const qint64 nextYear = today.daysTo(buildDate(today.year() + 1, month, day));
        return {DaysLeft::Case::Passed, static_cast<int>(nextYear)};
    }
    if (difference == 0)
        return {DaysLeft::Case::Today, 0};
    return {DaysLeft::Case::Later, static_cast<int>(difference)};
}

// A pass over a long list asks about the same few hundred months and days again and again; each
// answer holds for the whole of today.
struct Memo {
    qint64 day = std::numeric_limits<qint64>::min();
    std::array<DaysLeft, 12 * 32> answers{};
    std::array<bool, 12 * 32> known{};
};
} // namespace

DaysLeft daysLeft(int month, int day, const QDate& today) {
    if (month < 1 || month > 12 || day < 0 || day > 31)
        return computeDaysLeft(month, day, today);
    static thread_local Memo memo;
    if (memo.day != today.toJulianDay()) {
        memo.known.fill(false);
        memo.day = today.toJulianDay();
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
