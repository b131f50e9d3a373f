#pragma once
// The address books' statements on the store: prepared once, every value bound as a parameter, rows
// read by column. Every failure throws AppError with the engine's message.
#include "store/connection.h"

#include <QString>

namespace cw::addressbook {

class Query {
  public:
    Query(Connection& connection, const char* text);
    Query& bind(int parameter, qint64 number);
    Query& bind(int parameter, const QString& text); // a null QString binds no value
    // Binding readies the statement to run again; the values bound before stay.
    // The next row; false when there are no more.
    bool next();
    // Runs a statement that returns no rows, then readies it for new values.
    void run();
    qint64 number(int column) const;
    QString text(int column) const;
    bool isNull(int column) const;

  private:
    Connection& connection_;
    PreparedStatement statement_;
    bool stepped_ = false;
    void rewind();
};

// A write transaction that takes the store's write lock at once (waiting for another writer as long as
// the connection does) and rolls back unless committed.
class Transaction {
  public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

  private:
    Connection& connection_;
    bool open_ = true;
};

qint64 lastInsertId(Connection& connection);
// Rows changed by the last statement.
int changedRows(Connection& connection);
// A connection of its own to the store file at path, waiting at most busyWaitMs for another writer.
void openStore(Connection& connection, const QString& path, int busyWaitMs = Connection::busyTimeoutMs);
// Whether error says that another connection held the store longer than this one waited.
bool isStoreBusy(const std::exception& error);

} // namespace cw::addressbook
