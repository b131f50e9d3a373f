#include "store/boundstatement.h"

#include "core/apperror.h"

#include <QStringEncoder>

#include <sqlite3.h>

namespace cw {

BoundStatement::BoundStatement(Connection& connection, const QString& text)
    : db_(connection.handle()), statement_(connection.prepare(text.toUtf8())),
      texts_(static_cast<size_t>(sqlite3_bind_parameter_count(statement_.get()))) {}

void BoundStatement::bind(int parameter, const QString& text) {
    if (parameter < 1 || static_cast<size_t>(parameter) > texts_.size())
        throwEngineError(db_, SQLITE_RANGE);
    // Text goes in as the same UTF-8 that a statement holding it as a literal would carry.
    QByteArray& utf8 = texts_[static_cast<size_t>(parameter - 1)];
    QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    utf8.resize(encoder.requiredSpace(text.size()));
    utf8.truncate(encoder.appendToBuffer(utf8.data(), text) - utf8.constData());
    const int rc = sqlite3_bind_text(statement_.get(), parameter, utf8.constData(),
                                     static_cast<int>(utf8.size()), SQLITE_STATIC);
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
