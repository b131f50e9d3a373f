#pragma once
// Walks the list query and hands every row whose days left can be computed to a visitor; a row whose
// month or day cannot be used is reported under the caller's location and skipped, so it can never
// count as due.
#include "gui/services/errorreport.h"

#include <QString>
#include <QVariant>

#include <functional>

namespace cw {

struct DatedRow {
    QString person;
    int daysLeft;
    QVariant month; // as stored
    QVariant day;
};

class Recordset;

// The visitor answers false to stop the walk. Steps: 1 open, 2 days left, 3 next row, 4 close.
// With a snapshot, an open list query whose rows were just read, the walk goes over its rows again
// from the first instead of reading the store a second time; the snapshot stays open.
void visitDatedRows(ErrorGuard& guard, const std::function<bool(const DatedRow&)>& visit,
                    Recordset* snapshot = nullptr);

} // namespace cw
