#include "store/query.h"

#include "core/apperror.h"

#include <QStringEncoder>

#include <sqlite3.h>

namespace cw {

Query::Query(Connection& connection, const QByteArray& text)
    : connection_(connection), statement_(connection.prepare(text)),
      texts_(static_cast<size_t>(sqlite3_bind_parameter_count(statement_.get()))) {}

void Query::check(int resultCode) const {
    if (resultCode != SQLITE_OK)
        throwEngineError(connection_.handle(), resultCode);
}

void Query::rewind() {
    if (stepped_)
        sqlite3_reset(statement_.get());
    stepped_ = false;
}

Query& Query::bind(int parameter, qint64 number) {
    rewind();
    check(sqlite3_bind_int64(statement_.get(), parameter, number));
    return *this;
}

Query& Query::bind(int parameter, const QString& text) {
    rewind();
    if (parameter < 1 || static_cast<size_t>(parameter) > texts_.size())
        check(SQLITE_RANGE);
    if (text.isNull()) {
        check(sqlite3_bind_null(statement_.get(), parameter));
        return *this;
    }
    // Text goes in as the same UTF-8 that a statement holding it as a literal would carry.
    QByteArray& utf8 = texts_[static_cast<size_t>(parameter - 1)];
    QStringEncoder encoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    utf8.resize(encoder.requiredSpace(text.size()));
    utf8.truncate(encoder.appendToBuffer(utf8.data(), text) - utf8.constData());
    check(sqlite3_bind_text(statement_.get(), parameter, utf8.constData(), static_cast<int>(utf8.size()),
                            SQLITE_STATIC));
    return *this;
}

bool Query::next() {
    stepped_ = true;
    const int rc = sqlite3_step(statement_.get());
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE) {
        const AppError error(QString::fromUtf8(sqlite3_errmsg(connection_.handle())));
        rewind();
        throw error;
    }
    return false;
}

void Query::run() {
    rewind();
    while (next()) {
    }
    rewind();
}

qint64 Query::number(int column) const {
    return sqlite3_column_int64(statement_.get(), column);
}

QString Query::text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_.get(), column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement_.get(), column)) : QString();
}

bool Query::isNull(int column) const {
    return sqlite3_column_type(statement_.get(), column) == SQLITE_NULL;
}

Transaction::Transaction(Connection& connection) : connection_(connection) {
    connection_.execute(QStringLiteral("begin immediate"));
}

Transaction::~Transaction() {
    if (open_)
        sqlite3_exec(connection_.handle(), "rollback", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    connection_.execute(QStringLiteral("commit"));
    open_ = false;
}

qint64 lastInsertId(Connection& connection) {
    return sqlite3_last_insert_rowid(connection.handle());
}

int changedRows(Connection& connection) {
    return sqlite3_changes(connection.handle());
}

qint64 dataVersion(Connection& connection) {
    Query version(connection, "pragma data_version");
    return version.next() ? version.number(0) : -1;
}

void openStore(Connection& connection, const QString& path, int busyWaitMs) {
    QString quoted = path;
    connection.open(QStringLiteral("Data Source=\"") +
                        quoted.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"'),
                    busyWaitMs);
    sqlite3_busy_timeout(connection.handle(), busyWaitMs);
}

bool isStoreBusy(const std::exception& error) {
    return describe(error).startsWith(QString::fromUtf8(sqlite3_errstr(SQLITE_BUSY)));
}

} // namespace cw
