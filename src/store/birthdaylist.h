#pragma once
// The birthday list as the list query returns it, read once into one block of typed rows: the id,
// the name, and the month and day exactly as stored, odd values included. The window's list, the
// reminder check, the alert, the exports and the command line all read the store through it.
#include "core/daysleft.h"
#include "store/dateextras.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <functional>
#include <vector>

namespace cw {

class Connection;

// A month or day as the store holds it. Nearly always a whole number, kept in place; anything else
// (no value, a fraction, a text, bytes) is kept as the engine gave it, in the list's side table.
struct StoredNumber {
    qint64 value = 0; // the number, or the position in the side table
    bool whole = true;
};

class BirthdayList {
  public:
    // The list query's rows in its order: by month, then day, compared as the engine compares stored
    // values (no value first, then numbers, then texts, then bytes); rows with the same month and day
    // in the order they lie in the file. Throws AppError when the table cannot be read. expectedRows,
    // the size of the last read, saves growing the block row by row. With keep, only the rows whose
    // whole-number month and day it accepts (and every row with another value): a reader that wants
    // a few rows does not pay for the others' names.
    using DateFilter = std::function<bool(qint64 month, qint64 day)>;
    static BirthdayList read(Connection& connection, size_t expectedRows = 0, const DateFilter& keep = {});

    // Rows added by hand (the tests' and benchmarks' lists) come in the order they are added.
    void add(qint64 id, const QString& person, const QVariant& month, const QVariant& day,
             const DateExtras& extras = {});

    size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    qint64 id(size_t row) const { return rows_[row].id; }
    // The name's UTF-8 bytes as stored; a number or no value reads as its text.
    QByteArrayView personBytes(size_t row) const {
        return QByteArrayView(names_.data() + rows_[row].nameStart, rows_[row].nameLength);
    }
    QString person(size_t row) const { return QString::fromUtf8(personBytes(row)); }
    StoredNumber month(size_t row) const { return rows_[row].month(); }
    StoredNumber day(size_t row) const { return rows_[row].day(); }
    QVariant stored(const StoredNumber& number) const;
    // The stored value's text, as the list's cells show it.
    QString text(const StoredNumber& number) const;
    // The month or day as the days-left rule takes it; throws AppError as storedNumber does.
    int number(const StoredNumber& stored) const;
    // The days-left rule for a row; throws AppError for a month or day it cannot use.
    DaysLeft daysLeft(size_t row, const QDate& today) const;
    // The row's year, kind and date of death; plain for nearly every row.
    const DateExtras& extras(size_t row) const {
        static const DateExtras plain;
        return rows_[row].extra < 0 ? plain : extras_[size_t(rows_[row].extra)];
    }
    // Whether any row has a year: the list then shows ages.
    bool anyYear() const { return anyYear_; }
    // The years turned on the row's coming day (days left from today), or 0 when there are none to show.
    int yearsTurning(size_t row, const QDate& today, int daysLeft) const;

  private:
    // Packed: a long list is read, sorted and copied as one block of these.
    struct Row {
        Row(qint64 rowId, quint32 start, quint32 length, StoredNumber month, StoredNumber day)
            : id(rowId), monthValue(month.value), dayValue(day.value), nameStart(start), nameLength(length),
              monthWhole(month.whole), dayWhole(day.whole) {}
        Row() = default;
        StoredNumber month() const { return {monthValue, monthWhole}; }
        StoredNumber day() const { return {dayValue, dayWhole}; }
        qint64 id = 0;
        qint64 monthValue = 0;
        qint64 dayValue = 0;
        quint32 nameStart = 0;
        quint32 nameLength = 0;
        qint32 extra = -1; // position in extras_, or none
        bool monthWhole = true;
        bool dayWhole = true;
    };
    StoredNumber keep(const QVariant& value);
    void appendName(QByteArrayView name);
    void putInListOrder();
    int compareStored(const StoredNumber& a, const StoredNumber& b) const;

    std::vector<Row> rows_;
    QByteArray names_; // every name, one after another
    std::vector<QVariant> odd_;
    std::vector<DateExtras> extras_;
    bool anyYear_ = false;
    void attach(Row& row, const DateExtras& extras);
};

} // namespace cw
