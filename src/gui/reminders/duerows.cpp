#include "gui/reminders/duerows.h"

#include "core/daysleft.h"
#include "core/recordset.h"
#include "core/statements.h"
#include "gui/services/datafolder.h"
#include "gui/services/services.h"

#include <optional>

namespace cw {

void visitDatedRows(ErrorGuard& guard, const std::function<bool(const DatedRow&)>& visit,
                    Recordset* snapshot) {
    Recordset own;
    Recordset& records = snapshot ? *snapshot : own;
    bool opened = false;
    guard.step(1, [&] {
        if (snapshot)
            snapshot->MoveFirst();
        else
            records.open(statements::listQuery(), sharedConnection(), adOpenStatic, adLockReadOnly);
        opened = true;
    });
    if (!opened)
        return; // nothing to read: the caller answers as for an empty store
    const QDate today = services().clock().today();
    while (!records.EndOfFile()) {
        std::optional<DatedRow> row;
        guard.step(2, [&] {
            const QVariant month = records.fields(QStringLiteral("BirthMonth"));
            const QVariant day = records.fields(QStringLiteral("BirthDay"));
            row = DatedRow{records.fields(QStringLiteral("Person")).toString(),
                           daysLeft(month, day, today).days, month, day};
        });
        if (row && !visit(*row))
            break;
        bool moved = false;
        guard.step(3, [&] {
            records.movenext();
            moved = true;
        });
        if (!moved)
            break;
    }
    guard.step(4, [&] {
        if (!snapshot && records.state() != 0)
            records.Close();
    });
}

} // namespace cw
