#pragma once
// Walks the birthday list and hands every row whose days left can be computed to a visitor; a row
// whose month or day cannot be used is reported under the caller's location and skipped, so it can
// never count as due.
#include "gui/services/errorreport.h"

#include <QString>

#include <functional>

namespace cw {

class BirthdayList;
struct ListedRows;

struct DatedRow {
    const BirthdayList& list;
    size_t row;
    int daysLeft;
    // The name is read only for a row that has something to say.
    QString person() const;
};

// The visitor answers false to stop the walk. Steps: 1 read, 2 days left. With a snapshot, the rows
// a refill has just read and dated, the walk goes over them instead of reading the store again.
void visitDatedRows(ErrorGuard& guard, const std::function<bool(const DatedRow&)>& visit,
                    const ListedRows* snapshot = nullptr);

} // namespace cw
