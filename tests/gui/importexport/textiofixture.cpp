#include "textiofixture.h"

#include "core/recordset.h"
#include "core/statements.h"
#include "gui/services/datafolder.h"
#include "gui/services/listview.h"

#include <QFile>
#include <QTest>

namespace textiotest {

QStringList storedBirthdays() {
    QStringList rows = cwtest::storedRowTexts(cw::statements::listQuery());
    rows.sort();
    return rows;
}

void fillList(cw::ListView& list, const QList<ListRow>& rows) {
    if (list.model()->columnCount() == 0) {
        for (const char* caption : {"id", "Name", "Month", "Day", "Days Left", "MonthNo"})
            list.addColumn(QLatin1String(caption), 1200);
    }
    list.clearItems();
    int id = 1;
    for (const ListRow& row : rows) {
        const int index = list.addItem(QString::number(id++));
        list.setSubItem(index, 1, row.person);
        list.setSubItem(index, 2, QStringLiteral("(month %1)").arg(row.monthNo));
        list.setSubItem(index, 3, row.day);
        list.setSubItem(index, 4, QStringLiteral("0"));
        list.setSubItem(index, 5, row.monthNo);
    }
    list.finishRefill();
}

QStringList listBirthdays(const cw::ListView& list) {
    QStringList rows;
    for (int row = 0; row < list.count(); ++row)
        rows << QStringLiteral("%1|%2|%3")
                    .arg(list.subItem(row, 1), list.subItem(row, 5), list.subItem(row, 3));
    rows.sort();
    return rows;
}

} // namespace textiotest
