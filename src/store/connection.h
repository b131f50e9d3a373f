#pragma once
// The shared connection to the birthday store, a SQLite file. Every failure throws AppError carrying
// the engine's own message.
#include <QString>

struct sqlite3;

namespace cw {

class Connection {
  public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // 0 closed, 1 open.
    int State() const { return db_ ? 1 : 0; }
    // "...;Data Source= /path/dbData.mdb": the file after "Data Source=" must already exist.
    void open(const QString& connectionString);
    // Runs one statement; the change is in the file when it returns.
    void execute(const QString& statement);
    void Close();

    sqlite3* handle() const { return db_; }
    static QString dataSourceOf(const QString& connectionString);

  private:
    sqlite3* db_ = nullptr;
};

// Throws AppError with the engine's message for the given result code.
[[noreturn]] void throwEngineError(sqlite3* db, int resultCode);

} // namespace cw
