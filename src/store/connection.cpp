#include "store/connection.h"

#include "core/apperror.h"
#include "store/enginefunctions.h"

#include <utility>

#include <sqlite3.h>

namespace cw {

void throwEngineError(sqlite3* db, int resultCode) {
    const char* message = db ? sqlite3_errmsg(db) : sqlite3_errstr(resultCode);
    throw AppError(QString::fromUtf8(message ? message : sqlite3_errstr(resultCode)));
}

void StatementFinalizer::operator()(sqlite3_stmt* statement) const {
    sqlite3_finalize(statement);
}

Connection::~Connection() {
    Close();
}

namespace {
// The "name=value" pair of a connection string that starts at `at`, which moves past its ';'. A
// value may stand in double or single quotes, a doubled quote standing for one, so that a path
// holding ';' stays whole.
std::pair<QString, QString> nextPair(const QString& text, qsizetype& at) {
    const qsizetype size = text.size();
    const qsizetype equals = text.indexOf(QLatin1Char('='), at);
    if (equals < 0) {
        at = size;
        return {};
    }
    const QString name = text.mid(at, equals - at).trimmed();
    qsizetype pos = equals + 1;
    while (pos < size && text[pos] == QLatin1Char(' '))
        ++pos;
    const QChar quote = pos < size ? text[pos] : QChar();
    const bool quoted = quote == QLatin1Char('"') || quote == QLatin1Char('\'');
    QString value;
    for (pos += quoted ? 1 : 0; quoted && pos < size; ++pos) {
        if (text[pos] == quote && (pos + 1 == size || text[++pos] != quote))
            break; // the closing quote; a doubled one was stepped over to its second half
        value += text[pos];
    }
    const qsizetype end = text.indexOf(QLatin1Char(';'), pos);
    if (!quoted)
        value = text.mid(pos, (end < 0 ? size : end) - pos).trimmed();
    at = end < 0 ? size : end + 1;
    return {name, value};
}
} // namespace

QString Connection::dataSourceOf(const QString& connectionString) {
    qsizetype at = 0;
    while (at < connectionString.size()) {
        const auto [name, value] = nextPair(connectionString, at);
        if (name.compare(QLatin1String("Data Source"), Qt::CaseInsensitive) == 0)
            return value;
    }
    throw AppError(QStringLiteral("The connection string names no data source."));
}

void Connection::open(const QString& connectionString, int busyWaitMs) {
    // Never create: a missing store file is an error, not a new empty file.
    openFile(dataSourceOf(connectionString), false, busyWaitMs);
}

void Connection::openToRead(const QString& path) {
    openFile(path, true);
}

void Connection::openFile(const QString& path, bool reading, int busyWaitMs) {
    if (db_)
        throw AppError(QStringLiteral("Operation is not allowed when the object is open."));
    const QByteArray name = path.toUtf8();
    sqlite3* db = nullptr;
    const auto fail = [&](int rc) {
        QString message = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        // The engine's "attempt to write a readonly database" would not say why a reader writes.
        if (db && sqlite3_extended_errcode(db) == SQLITE_READONLY_ROLLBACK)
            message = QStringLiteral("A change to the list was cut short and must be undone before it can be "
                                     "read, which only a user who may write the file can do");
        sqlite3_close(db);
        throw AppError(message + QStringLiteral(": ") + path);
    };
    // One thread uses a connection: the engine's own locking would only cost time on every row. Without
    // SQLITE_OPEN_CREATE a missing file stays missing; one the user may not write the engine opens
    // read-only.
    int rc = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busyWaitMs);
    // A reader makes no change of its own, also where it may write the file.
    if (reading)
        rc = sqlite3_exec(db, "pragma query_only = 1", nullptr, nullptr, nullptr);
    // Reading the schema now makes a damaged or foreign file fail here, at the open, without writing.
    // A journal left by a writer that was killed is rolled back here, where the user may write.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    // The list query sorts every row; a cache that holds a large list keeps that sort in memory
    // instead of spilling it to temporary files. Only this connection's setting: the file is not written.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "pragma cache_size = -16384", nullptr, nullptr, nullptr);
    // A reader that never writes maps the file instead of copying every page it reads.
    if (rc == SQLITE_OK && reading)
        rc = sqlite3_exec(db, "pragma mmap_size = 268435456", nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK)
        rc = registerEngineFunctions(db);
    if (rc != SQLITE_OK)
        fail(rc);
    sqlite3_busy_timeout(db, busyTimeoutMs);
    db_ = db;
}

PreparedStatement Connection::prepare(const QByteArray& text, const char** tail) {
    if (!db_)
        throw AppError(QStringLiteral("Operation is not allowed when the object is closed."));
    sqlite3_stmt* prepared = nullptr;
    const int rc = sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &prepared, tail);
    if (rc != SQLITE_OK)
        throwEngineError(db_, rc);
    return PreparedStatement(prepared);
}

void Connection::execute(const QString& statement) {
    const QByteArray text = statement.toUtf8();
    const char* tail = nullptr;
    const PreparedStatement prepared = prepare(text, &tail);
    if (!prepared)
        return; // blank statement
    // One statement a call: anything after it is refused, never run.
    for (const char* p = tail; p && p < text.constData() + text.size(); ++p) {
        if (!QChar::isSpace(static_cast<unsigned char>(*p)) && *p != ';')
            throw AppError(QStringLiteral("Characters found after end of SQL statement."));
    }
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = sqlite3_step(prepared.get());
    if (rc != SQLITE_DONE)
        throwEngineError(db_, rc);
}

void Connection::Close() {
    if (!db_)
        return;
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

} // namespace cw
