#include "store/enginefunctions.h"

#include "core/clock.h"

#include <QDate>

#include <sqlite3.h>

namespace cw {

namespace {

void todayFunction(sqlite3_context* context, int, sqlite3_value**) {
    const QByteArray text = currentClock().today().toString(Qt::ISODate).toUtf8();
    sqlite3_result_text(context, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// The date part of a value: a yyyy-MM-dd text (a time may follow).
QDate dateOf(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (!text)
        return {};
    return QDate::fromString(QString::fromUtf8(text).left(10), Qt::ISODate);
}

template <int (QDate::*Part)() const>
void datePartFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const QDate date = dateOf(argv[0]);
    if (!date.isValid()) {
        sqlite3_result_error(context, "Type mismatch", -1);
        return;
    }
    sqlite3_result_int(context, (date.*Part)());
}

} // namespace

int registerEngineFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8;
    int rc =
        sqlite3_create_function_v2(db, "date", 0, flags, nullptr, todayFunction, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "month", 1, flags | SQLITE_DETERMINISTIC, nullptr,
                                        datePartFunction<&QDate::month>, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_function_v2(db, "day", 1, flags | SQLITE_DETERMINISTIC, nullptr,
                                        datePartFunction<&QDate::day>, nullptr, nullptr, nullptr);
    return rc;
}

} // namespace cw
