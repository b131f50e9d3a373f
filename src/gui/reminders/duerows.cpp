#include "gui/reminders/duerows.h"

#include "gui/services/datafolder.h"
#include "gui/services/listorder.h"
#include "gui/services/services.h"
#include "store/birthdaylist.h"

namespace cw {

QString DatedRow::person() const {
    return list.person(row);
}

void visitDatedRows(ErrorGuard& guard, const std::function<bool(const DatedRow&)>& visit,
                    const ListedRows* snapshot) {
    std::shared_ptr<const BirthdayList> list;
    guard.step(1, [&] {
        list = snapshot ? snapshot->rows
                        : std::make_shared<const BirthdayList>(BirthdayList::read(sharedConnection()));
    });
    if (!list)
        return; // nothing to read: the caller answers as for an empty store
    const QDate today = services().clock().today();
    for (size_t row = 0; row < list->size(); ++row) {
        int days = snapshot ? snapshot->daysLeft[row] : -1;
        if (days < 0) // not dated yet, or a date the refill could not use: this walk reports it too
            guard.step(2, [&] { days = list->daysLeft(row, today).days; });
        if (days >= 0 && !visit(DatedRow{*list, row, days}))
            break;
    }
}

} // namespace cw
