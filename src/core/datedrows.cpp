#include "core/datedrows.h"

#include "core/apperror.h"
#include "core/connection.h"
#include "core/statements.h"

#include <limits>
#include <optional>

#include <sqlite3.h>

namespace cw {

namespace {
int columnNamed(sqlite3_stmt* statement, const char* name) {
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        if (sqlite3_stricmp(sqlite3_column_name(statement, c), name) == 0)
            return c;
    }
    throw AppError(
        QStringLiteral("Item cannot be found in the collection corresponding to the requested name: %1")
            .arg(QLatin1String(name)));
}

// A stored month or day as the days-left rule takes it; whole numbers skip the general conversion.
std::optional<int> numberIn(sqlite3_stmt* statement, int column) {
    try {
        switch (sqlite3_column_type(statement, column)) {
        case SQLITE_INTEGER: {
            const sqlite3_int64 whole = sqlite3_column_int64(statement, column);
            if (whole >= std::numeric_limits<qint16>::min() && whole <= std::numeric_limits<qint16>::max())
                return static_cast<int>(whole);
            return std::nullopt; // beyond what the rule takes
        }
        case SQLITE_FLOAT:
            return storedNumber(QVariant(sqlite3_column_double(statement, column)));
        case SQLITE_NULL:
            return std::nullopt;
        default:
            return storedNumber(QVariant(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)),
                                  sqlite3_column_bytes(statement, column))));
        }
    } catch (const AppError&) {
        return std::nullopt;
    }
}
} // namespace

std::vector<DatedBirthday> readDatedBirthdays(Connection& connection, const QDate& today, int maxDays) {
    const PreparedStatement prepared = connection.prepare(statements::listScan().toUtf8());
    sqlite3_stmt* statement = prepared.get();
    const int person = columnNamed(statement, "Person");
    const int month = columnNamed(statement, "BirthMonth");
    const int day = columnNamed(statement, "BirthDay");
    std::vector<DatedBirthday> rows;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        const std::optional<int> monthNumber = numberIn(statement, month);
        const std::optional<int> dayNumber = numberIn(statement, day);
        if (!monthNumber || !dayNumber)
            continue;
        DaysLeft left{};
        try {
            left = daysLeft(*monthNumber, *dayNumber, today);
        } catch (const AppError&) {
            continue; // a date outside the calendar
        }
        if (left.days > maxDays)
            continue;
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, person));
        rows.push_back({QString::fromUtf8(text, sqlite3_column_bytes(statement, person)), *monthNumber,
                        *dayNumber, left});
    }
    if (rc != SQLITE_DONE)
        throwEngineError(connection.handle(), rc);
    return rows;
}

} // namespace cw
