#include "store/daysleft.h"

#include "app/apperror.h"

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

DaysLeft daysLeft(int month, int day, const QDate& today) {
    const qint64 difference = today.daysTo(buildDate(today.year(), month, day));
    if (difference < 0) {
        const qint64 nextYear = today.daysTo(buildDate(today.year() + 1, month, day));
        return {DaysLeft::Case::Passed, static_cast<int>(nextYear)};
    }
    if (difference == 0)
        return {DaysLeft::Case::Today, 0};
    return {DaysLeft::Case::Later, static_cast<int>(difference)};
}

DaysLeft daysLeft(const QVariant& month, const QVariant& day, const QDate& today) {
    return daysLeft(storedNumber(month), storedNumber(day), today);
}

} // namespace cw
