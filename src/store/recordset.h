#pragma once
// A static, read-only snapshot of a query's rows, read through as the list query's readers expect.
#include <QStringList>
#include <QVariant>

#include <vector>

namespace cw {

class Connection;

enum CursorType { adOpenStatic = 3 };
enum LockType { adLockReadOnly = 1 };

class Recordset {
  public:
    void open(const QString& source, Connection& connection, int cursorType = adOpenStatic,
              int lockType = adLockReadOnly);
    // True past the last row; true at once for an empty result.
    bool EndOfFile() const { return current_ >= rows_.size(); }
    // The value of a field of the current row; names in any letter case.
    QVariant fields(const QString& name) const;
    void movenext();
    int state() const { return open_ ? 1 : 0; }
    void Close();
    size_t rowCount() const { return rows_.size(); }

  private:
    QStringList names_;
    std::vector<std::vector<QVariant>> rows_;
    size_t current_ = 0;
    bool open_ = false;
};

} // namespace cw
