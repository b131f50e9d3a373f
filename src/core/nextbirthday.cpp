#include "core/nextbirthday.h"

namespace cw {

QString NextBirthday::text(const QString& nearestName) const {
    if (nearestDays_ > 365)
        return QStringLiteral("There are no birthdays in the list.");
    const QString tail = nearestDays_ > 0
                             ? QLatin1Char(' ') + QString::number(nearestDays_) + QStringLiteral(" days")
                             : QStringLiteral(" Today");
    return QStringLiteral("Next birthday is in ") + nearestName + tail;
}

} // namespace cw
