#include "gui/reminders/knowndue.h"

#include "gui/reminders/duerows.h"
#include "gui/reminders/duerule.h"
#include "gui/services/listorder.h"
#include "store/birthdaylist.h"

namespace cw {

namespace {
// A sync may give a contact's row a new id: the name and the date stand for it.
QString keyOf(const DatedRow& row) {
    const QChar separator(0x1f);
    return row.person() + separator + row.list.text(row.list.month(row.row)) + separator +
           row.list.text(row.list.day(row.row));
}
} // namespace

bool KnownDueRows::contains(const DatedRow& row, const QDate& today) const {
    return day_ == today && keys_.contains(keyOf(row));
}

void KnownDueRows::note(const ListedRows& rows, const ReminderBoxes& boxes, const MissedDays& missed,
                        const QDate& today) {
    if (day_ != today) {
        keys_.clear();
        day_ = today;
    }
    for (size_t row = 0; row < rows.size(); ++row) {
        const DatedRow dated{*rows.rows, row, rows.daysLeft[row]};
        if (dated.daysLeft >= 0 && !dueLine(boxes, missed, dated, today).isEmpty()) // -1: no usable date
            keys_.insert(keyOf(dated));
    }
}

} // namespace cw
