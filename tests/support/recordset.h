#pragma once
// A static, read-only snapshot of a query's rows: the engine's answer, row by row, with nothing added.
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
    bool EndOfFile() const { return current_ >= rowCount_; }
    // The value of a field of the current row; names in any letter case.
    const QVariant& fields(const QString& name) const;
    // The same by position, for readers that look each name up once per query.
    int fieldIndex(const QString& name) const;
    const QVariant& value(int index) const;
    void movenext();
    // Back to the first row of the same snapshot, as a static cursor allows.
    void MoveFirst();
    int state() const { return open_ ? 1 : 0; }
    void Close();

  private:
    void checkCurrentRow() const;
    QStringList names_;
    // Row after row in one block: a large list is read without an allocation per row.
    std::vector<QVariant> values_;
    size_t rowCount_ = 0;
    size_t current_ = 0;
    bool open_ = false;
};

} // namespace cw
