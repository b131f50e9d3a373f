#include "support/recordset.h"

#include "core/apperror.h"
#include "store/connection.h"

#include <sqlite3.h>

namespace cw {

namespace {
QVariant columnValue(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(statement, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(statement, column));
    case SQLITE_NULL:
        return QVariant();
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(statement, column)));
    }
    }
}
} // namespace

void Recordset::open(const QString& source, Connection& connection, int /*cursorType*/, int /*lockType*/) {
    if (open_)
        throw AppError(QStringLiteral("Operation is not allowed when the object is open."));
    const PreparedStatement prepared = connection.prepare(source.toUtf8());
    if (!prepared)
        throw AppError(QStringLiteral("Command text was not set for the command object."));
    sqlite3_stmt* statement = prepared.get();
    const int columns = sqlite3_column_count(statement);
    QStringList names;
    for (int c = 0; c < columns; ++c)
        names << QString::fromUtf8(sqlite3_column_name(statement, c));
    std::vector<QVariant> values;
    size_t rowCount = 0;
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c)
            values.push_back(columnValue(statement, c));
        ++rowCount;
    }
    if (rc != SQLITE_DONE)
        throwEngineError(connection.handle(), rc);
    names_ = std::move(names);
    values_ = std::move(values);
    rowCount_ = rowCount;
    current_ = 0;
    open_ = true;
}

const QVariant& Recordset::fields(const QString& name) const {
    checkCurrentRow();
    return value(fieldIndex(name));
}

void Recordset::checkCurrentRow() const {
    if (!open_)
        throw AppError(QStringLiteral("Operation is not allowed when the object is closed."));
    if (EndOfFile())
        throw AppError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
}

int Recordset::fieldIndex(const QString& name) const {
    if (!open_)
        throw AppError(QStringLiteral("Operation is not allowed when the object is closed."));
    // Callers mostly spell the name as the table does; any letter case is still accepted.
    for (qsizetype c = 0; c < names_.size(); ++c) {
        if (names_[c] == name)
            return static_cast<int>(c);
    }
    for (qsizetype c = 0; c < names_.size(); ++c) {
        if (names_[c].compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(c);
    }
    throw AppError(
        QStringLiteral("Item cannot be found in the collection corresponding to the requested name: %1")
            .arg(name));
}

const QVariant& Recordset::value(int index) const {
    checkCurrentRow();
    return values_[current_ * static_cast<size_t>(names_.size()) + static_cast<size_t>(index)];
}

void Recordset::movenext() {
    if (!open_ || EndOfFile())
        throw AppError(QStringLiteral("Either BOF or EOF is True, or the current record has been deleted."));
    ++current_;
}

void Recordset::MoveFirst() {
    if (!open_)
        throw AppError(QStringLiteral("Operation is not allowed when the object is closed."));
    current_ = 0;
}

void Recordset::Close() {
    names_.clear();
    values_.clear();
    values_.shrink_to_fit();
    rowCount_ = 0;
    current_ = 0;
    open_ = false;
}

} // namespace cw
