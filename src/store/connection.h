#pragma once
// The shared connection to the birthday store, a SQLite file. Every failure throws AppError carrying
// the engine's own message.
#include <QByteArray>
#include <QString>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace cw {

struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const;
};
// A prepared statement that is finalised when it goes.
using PreparedStatement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

class Connection {
  public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // 0 closed, 1 open.
    int State() const { return db_ ? 1 : 0; }
    // "...;Data Source= /path/dbData.mdb": the file after "Data Source=" must already exist.
    // busyWaitMs is how long the open waits for another writer's lock; later statements wait 5 s.
    void open(const QString& connectionString, int busyWaitMs = busyTimeoutMs);
    // Opens an existing file to read it. Where the user may write it, the engine can roll back a change
    // that a killed writer left in a journal beside it; the connection itself changes nothing. Where
    // the user may not, such a file fails with a message that says so.
    void openToRead(const QString& path);
    // Runs one statement; the change is in the file when it returns.
    void execute(const QString& statement);
    void Close();
    // Prepares the first statement of the text on the open connection (null for blank text); tail,
    // when given, gets what follows it.
    PreparedStatement prepare(const QByteArray& text, const char** tail = nullptr);

    sqlite3* handle() const { return db_; }
    static QString dataSourceOf(const QString& connectionString);
    static constexpr int busyTimeoutMs = 5000;

  private:
    void openFile(const QString& path, bool reading, int busyWaitMs = busyTimeoutMs);
    sqlite3* db_ = nullptr;
};

// Throws AppError with the engine's message for the given result code.
[[noreturn]] void throwEngineError(sqlite3* db, int resultCode);

} // namespace cw
