// The list refill: every birthday in calendar order with its days left, and the next birthday.
#include "gui/mainwindow/form1.h"

#include "core/age.h"
#include "core/daysleft.h"
#include "core/nextbirthday.h"
#include "core/statements.h"
#include "gui/services/datafolder.h"
#include "gui/services/errorreport.h"
#include "gui/services/labeltext.h"
#include "gui/services/listview.h"
#include "gui/services/services.h"
#include "store/birthdaylist.h"
#include "store/connection.h"

#include <QLabel>
#include <QLocale>
#include <QScopeGuard>

#include <array>

namespace cw {

namespace {
// The month names of the pass: a stored month names the month its first day falls in, so month 13
// is January and month 0 December.
std::array<QString, 12> monthNamesOfTheLocale() {
    const QLocale locale;
    std::array<QString, 12> names;
    for (int month = 1; month <= 12; ++month)
        names[size_t(month - 1)] = locale.standaloneMonthName(month);
    return names;
}

qint8 monthNameOf(const BirthdayList& list, size_t row, int year) {
    const StoredNumber& month = list.month(row);
    if (month.whole && month.value >= 1 && month.value <= 12)
        return static_cast<qint8>(month.value - 1);
    return static_cast<qint8>(buildDate(year, list.number(month), 1).month() - 1);
}
} // namespace

void Form1::ListBirthdays(bool isTest) {
    refill(isTest, false);
}

void Form1::refill(bool isTest, bool newDay, bool synced) {
    // Passes never nest: a refill asked for while one runs (behind its alert) is not started.
    if (inListPass_)
        return;
    inListPass_ = true;
    const auto passEnds = qScopeGuard([this] { inListPass_ = false; });
    // The day a pass has seen is the day it began on: when its alert is answered after midnight,
    // the next tick finds a new day and runs that day's pass.
    const QDate today = services().clock().today();
    listDay_ = today;
    if (startingUp || newDay) {
        passedDays_.insert(today);
        noteReminderDay(today);
    }
    ErrorGuard guard(Location::Form1_ListBirthdays);
    guard.step(1, [&] { ListView1->clearItems(); });
    if (startingUp && sharedConnection().State() == 0) {
        // The load has just reported why the store could not be opened; once is enough. The ticks
        // try again quietly (another user's import may hold it), and the first that opens it runs
        // this pass.
        storeOpenPending_ = true;
        ListView1->finishRefill();
        setLabelText(Label1, QStringLiteral("The birthday list could not be opened."));
        savedLabel = Label1->text();
        return;
    }
    auto list = std::make_shared<BirthdayList>();
    bool opened = false;
    guard.step(2, [&] {
        *list = BirthdayList::read(sharedConnection(), ListView1->rows().size());
        opened = true;
    });
    loadOrigins();
    // Each row's month name and days left are worked out once here; the cells' texts are made from
    // them when the view shows a row. A row whose month or day cannot be used is reported at the step
    // that needs it and keeps the cells that could be filled.
    ListedRows rows;
    rows.rows = list;
    rows.monthNames = monthNamesOfTheLocale();
    rows.daysLeft.assign(list->size(), -1);
    rows.monthName.assign(list->size(), -1);
    if (list->anyYear())
        rows.ages.assign(list->size(), 0);
    NextBirthday next;
    size_t nearest = list->size();
    const int year = today.year();
    for (size_t row = 0; row < list->size(); ++row) {
        guard.step(6, [&] { rows.monthName[row] = monthNameOf(*list, row, year); });
        guard.step(9, [&] {
            const DaysLeft left = list->daysLeft(row, today);
            rows.daysLeft[row] = static_cast<qint16>(left.days);
            if (!rows.ages.empty())
                rows.ages[row] = static_cast<qint16>(list->yearsTurning(row, today, left.days));
            if (next.take(left))
                nearest = row;
        });
    }
    ListView1->finishRefill(rows);
    ListView1->showColumn(ageColumn, list->anyYear());
    followCurrentRow();
    if (!opened)
        return; // nothing could be read: one report, an empty list, and the pass ends
    // The reminder check goes over the rows just read rather than reading a large list twice.
    const ListedRows snapshot = ListView1->rows();
    guard.step(11, [&] {
        if (synced)
            announceSyncedRows(snapshot);
        else
            raiseAlertIfDue(isTest, newDay, &snapshot);
        knownDue_.note(snapshot, reminderBoxes(), missedDays(), today);
    });
    guard.step(13, [&] {
        setLabelText(Label1,
                     next.text(nearest < list->size() ? isolatedName(list->person(nearest)) : QString()));
    });
    guard.step(14, [&] { savedLabel = Label1->text(); });
}

} // namespace cw
