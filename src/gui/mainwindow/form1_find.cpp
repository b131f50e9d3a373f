// Finding in the list and the list's order: both change only what the list shows, never the store.
#include "gui/mainwindow/form1.h"

#include "gui/services/listview.h"
#include "platform/settings.h"
#include "store/birthdaylist.h"

#include <QHeaderView>
#include <QLineEdit>

namespace cw {

namespace {
int columnNamed(const ListView& list, const QString& caption) {
    for (const int column : {personColumn, monthColumn, dayColumn, daysLeftColumn, ageColumn}) {
        if (list.caption(column) == caption)
            return column;
    }
    return monthColumn; // calendar order, as a first start has it
}
} // namespace

void Form1::restoreListOrder() {
    ListView1->sortBy(columnNamed(*ListView1, readSetting(SettingKey::SortColumn)),
                      readSetting(SettingKey::SortOrder) == QLatin1String("Descending"));
}

void Form1::saveListOrder(int column, bool descending) {
    writeSetting(SettingKey::SortColumn, ListView1->caption(column));
    writeSetting(SettingKey::SortOrder,
                 descending ? QStringLiteral("Descending") : QStringLiteral("Ascending"));
}

void Form1::showFind() {
    if (findField->isHidden()) {
        findField->show();
        placeControls();
    }
    findField->setFocus();
    findField->selectAll();
}

void Form1::hideFind() {
    findField->hide();
    findField->clear(); // shows every row again
    placeControls();
    ListView1->setFocus();
}

// After an add: the newest row, the one just added, becomes the current row, scrolled into view.
void Form1::showNewestRow() {
    const BirthdayList& list = *ListView1->rows().rows;
    int newest = -1;
    for (size_t row = 0; row < list.size(); ++row) {
        if (newest < 0 || list.id(row) > list.id(size_t(newest)))
            newest = static_cast<int>(row);
    }
    ListView1->selectRow(newest);
}

void Form1::findTextChanged(const QString& text) {
    ListView1->setFindText(text);
    if (text.isEmpty() && findField->isVisible())
        hideFind();
}

} // namespace cw
