#pragma once
// The list query's order, given to rows read unsorted: by month, then day, compared as the engine
// compares them (no value first, then numbers, then texts); rows with the same date stay in the order
// they came in.
#include <QVariant>

#include <vector>

namespace cw {

// values holds the rows one after another, columns values each.
void putInCalendarOrder(std::vector<QVariant>& values, size_t columns, size_t monthColumn, size_t dayColumn);

} // namespace cw
