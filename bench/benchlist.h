#pragma once
// A birthday list filled by hand as the main window fills it, for the export benchmarks.
#include "core/monthnames.h"
#include "gui/services/listview.h"

namespace benchlist {

// rows birthdays spread over every month, days 1 to 28.
inline void fill(cw::ListView& list, int rows) {
    for (const char* caption : {"id", "Name", "Month", "Day", "Days Left", "MonthNo"})
        list.addColumn(QLatin1String(caption), 1200);
    list.clearItems();
    for (int i = 0; i < rows; ++i) {
        const int row = list.addItem(QString::number(i + 1));
        list.setSubItem(row, 1, QStringLiteral("Person %1").arg(i));
        list.setSubItem(row, 2, cw::MonthNameFromNumber(i % 12 + 1));
        list.setSubItem(row, 3, QString::number(i % 28 + 1));
        list.setSubItem(row, 4, QString::number(i % 366));
        list.setSubItem(row, 5, QString::number(i % 12 + 1));
    }
    list.finishRefill();
}

} // namespace benchlist
