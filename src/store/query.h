#pragma once
// A statement on the store: prepared once, every value bound as a parameter, rows read by column, run
// as often as new values come (an import runs its insert for every line of a file). Every failure
// throws AppError with the engine's message.
#include "store/connection.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace cw {

class Query {
  public:
    Query(Connection& connection, const QByteArray& text);
    // Parameters count from 1. Binding readies the statement to run again; the values bound before stay.
    Query& bind(int parameter, qint64 number);
    // A null QString binds no value. The text is kept here until it is bound again, so the engine need
    // not copy it.
    Query& bind(int parameter, const QString& text);
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
    std::vector<QByteArray> texts_; // one buffer a parameter, reused from run to run
    bool stepped_ = false;
    void rewind();
    void check(int resultCode) const;
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
// Changes whenever another connection, of this process or another, has committed to the store since
// this one last looked.
qint64 dataVersion(Connection& connection);
// A connection of its own to the store file at path, waiting at most busyWaitMs for another writer.
void openStore(Connection& connection, const QString& path, int busyWaitMs = Connection::busyTimeoutMs);
// Whether error says that another connection held the store longer than this one waited.
bool isStoreBusy(const std::exception& error);

} // namespace cw
