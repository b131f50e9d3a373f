#pragma once
// Which of the list's rows the view shows, and in which order: the find text filters by name,
// ignoring case and accents; a column sorts them. The rows themselves keep the order they came in.
#include <QString>

#include <array>
#include <vector>

namespace cw {

// The birthday list's columns, in order; "id" and "MonthNo" are hidden but readable.
enum BirthdayColumn : int { idColumn, personColumn, monthColumn, dayColumn, daysLeftColumn, monthNoColumn };
using ListCells = std::array<QString, 6>;

// The text that finding compares: accents dropped, case folded.
QString findKey(const QString& text);

struct ListOrder {
    // Person sorts by name in the user's locale, Day(s) Left soonest first; Month and Day, like any
    // other column, keep the rows' own calendar order.
    int column = monthColumn;
    bool descending = false;
    QString find; // as typed; empty shows every row
};

// The rows to show, as positions in rows. personKeys holds each row's find key once it was needed,
// and is filled here on the first find after a refill.
std::vector<int> shownRows(const std::vector<ListCells>& rows, const ListOrder& order,
                           std::vector<QString>& personKeys);

} // namespace cw
