#pragma once
// The rows of one refill as the list shows them, and which of them the view shows in which order:
// the find text filters by name, ignoring case and accents; a column sorts them. The rows themselves
// keep the list query's order.
#include "store/birthdaylist.h"

#include <QString>

#include <array>
#include <memory>
#include <vector>

namespace cw {

// The birthday list's columns, in order; "id" and "MonthNo" are hidden but readable. "Age" is shown
// after "Day(s) Left" only while a row has a year.
enum BirthdayColumn : int {
    idColumn,
    personColumn,
    monthColumn,
    dayColumn,
    daysLeftColumn,
    monthNoColumn,
    ageColumn
};

// A refill's rows with what it worked out for each, once: the days left and the month's name. The
// cells' texts are made from them only when someone reads a cell.
struct ListedRows {
    std::shared_ptr<const BirthdayList> rows = std::make_shared<const BirthdayList>();
    std::vector<qint16> daysLeft; // -1 where the row's date could not be used
    std::vector<qint8> monthName; // a position in monthNames; -1 where the month has no name
    std::vector<qint16> ages;     // the years turned on the coming day, 0 for none; empty without years
    std::array<QString, 12> monthNames;

    size_t size() const { return rows->size(); }
    QString cell(size_t row, int column) const;
};

// The text that finding compares: accents dropped, case folded.
QString findKey(const QString& text);

struct ListOrder {
    // Person sorts by name in the user's locale, Day(s) Left soonest first, Age youngest first; Month
    // and Day, like any other column, keep the rows' own calendar order.
    int column = monthColumn;
    bool descending = false;
    QString find; // as typed; empty shows every row
};

// Picks the rows to show. What a find or a sort by name needs (each name's find key, the names'
// order) is worked out the first time it is needed and kept until the rows change.
class ListFilter {
  public:
    void forget();
    // Positions in rows, in the order to show.
    std::vector<int> shownRows(const ListedRows& rows, const ListOrder& order);

  private:
    void matchFind(const ListedRows& rows, const QString& wanted);
    const std::vector<int>& byPerson(const ListedRows& rows);
    QString keys_; // every row's find key, one after another
    std::vector<quint32> keyEnds_;
    // The order by name is carried over from one refill to the next: a refill after an edit has it
    // again for the price of the rows that changed.
    std::shared_ptr<const BirthdayList> orderedList_; // the rows byPerson_ puts in order
    std::vector<int> byPerson_;
    QString matchedFind_;       // the find key that matched_ holds the answer for
    std::vector<char> matched_; // per row
};

} // namespace cw
