#pragma once
// One statement prepared once and run many times with new values, as an import runs its insert for
// every line of a file. Every failure throws AppError with the engine's own message.
#include "store/connection.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace cw {

class BoundStatement {
  public:
    BoundStatement(Connection& connection, const QString& text);

    // Parameters count from 1. The text is kept here until the statement next runs, so the engine
    // need not copy it.
    void bind(int parameter, const QString& text);
    void bind(int parameter, int number);
    // Runs the statement with the values bound last, then readies it for the next values.
    void run();

  private:
    sqlite3* db_;
    PreparedStatement statement_;
    std::vector<QByteArray> texts_; // one buffer a parameter, reused from run to run
};

} // namespace cw
