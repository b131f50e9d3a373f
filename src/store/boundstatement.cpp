#include "store/boundstatement.h"

#include "app/apperror.h"

#include <sqlite3.h>

namespace cw {

BoundStatement::BoundStatement(Connection& connection, const QString& text)
    : db_(connection.handle()), statement_(connection.prepare(text.toUtf8())) {}

void BoundStatement::bind(int parameter, const QString& text) {
    // Text goes in as the same UTF-8 that a statement holding it as a literal would carry.
    const QByteArray utf8 = text.toUtf8();
    const int rc = sqlite3_bind_text(statement_.get(), parameter, utf8.constData(),
                                     static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        throwEngineError(db_, rc);
}

void BoundStatement::bind(int parameter, int number) {
    const int rc = sqlite3_bind_int(statement_.get(), parameter, number);
    if (rc != SQLITE_OK)
        throwEngineError(db_, rc);
}

void BoundStatement::run() {
    const int rc = sqlite3_step(statement_.get());
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        const AppError error(QString::fromUtf8(sqlite3_errmsg(db_)));
        sqlite3_reset(statement_.get());
        throw error;
    }
    sqlite3_reset(statement_.get());
}

} // namespace cw
