// The list refill: every birthday in calendar order with its days left, and the next birthday.
#include "mainwindow/form1.h"

#include "app/errorreport.h"
#include "app/labeltext.h"
#include "app/listview.h"
#include "app/services.h"
#include "store/connection.h"
#include "store/datafolder.h"
#include "store/daysleft.h"
#include "store/recordset.h"
#include "store/statements.h"

#include <QLabel>
#include <QLocale>
#include <QScopeGuard>

#include <map>

namespace cw {

namespace {
// Month names of the pass, built once per month number.
class MonthNames {
  public:
    explicit MonthNames(int year) : year_(year) {}
    const QString& of(const QVariant& storedMonth) {
        const int month = storedNumber(storedMonth);
        auto found = names_.find(month);
        if (found == names_.end())
            found =
                names_.emplace(month, locale_.standaloneMonthName(buildDate(year_, month, 1).month())).first;
        return found->second;
    }

  private:
    int year_;
    QLocale locale_;
    std::map<int, QString> names_;
};

QString nextBirthdayText(const QString& nearestName, int nearestDays) {
    if (nearestDays > 365)
        return QStringLiteral("There are no birthdays in the list.");
    const QString tail = nearestDays > 0
                             ? QLatin1Char(' ') + QString::number(nearestDays) + QStringLiteral(" days")
                             : QStringLiteral(" Today");
    return QStringLiteral("Next birthday is in ") + nearestName + tail;
}
} // namespace

void Form1::ListBirthdays(bool isTest) {
    refill(isTest, false);
}

void Form1::refill(bool isTest, bool newDay) {
    // Passes never nest: a refill asked for while one runs (behind its alert) is not started.
    if (inListPass_)
        return;
    inListPass_ = true;
    const auto passEnds = qScopeGuard([this] { inListPass_ = false; });
    // The day a pass has seen is the day it began on: when its alert is answered after midnight,
    // the next tick finds a new day and runs that day's pass.
    const QDate today = services().clock().today();
    if (startingUp || newDay)
        lastDayChecked_ = today;
    ErrorGuard guard(Location::Form1_ListBirthdays);
    guard.step(1, [&] { ListView1->clearItems(); });
    if (startingUp && sharedConnection().State() == 0) {
        // The load has just reported why the store could not be opened; once is enough.
        ListView1->finishRefill();
        setLabelText(Label1, QStringLiteral("The birthday list could not be opened."));
        savedLabel = Label1->text();
        return;
    }
    Recordset records;
    bool opened = false;
    guard.step(2, [&] {
        records.open(statements::listQuery(), sharedConnection(), adOpenStatic, adLockReadOnly);
        opened = true;
    });
    int nearestDays = 366;
    QString nearestName;
    MonthNames monthNames(today.year());
    while (opened && !records.EndOfFile()) {
        int row = -1;
        QString person;
        guard.step(4, [&] { row = ListView1->addItem(records.fields(QStringLiteral("id")).toString()); });
        if (row >= 0) {
            guard.step(5, [&] {
                person = records.fields(QStringLiteral("Person")).toString();
                ListView1->setSubItem(row, personColumn, person);
            });
            guard.step(6, [&] {
                ListView1->setSubItem(row, monthColumn,
                                      monthNames.of(records.fields(QStringLiteral("BirthMonth"))));
            });
            guard.step(7, [&] {
                ListView1->setSubItem(row, dayColumn, records.fields(QStringLiteral("BirthDay")).toString());
            });
            guard.step(8, [&] {
                ListView1->setSubItem(row, monthNoColumn,
                                      records.fields(QStringLiteral("BirthMonth")).toString());
            });
            guard.step(9, [&] {
                const DaysLeft left = daysLeft(records.fields(QStringLiteral("BirthMonth")),
                                               records.fields(QStringLiteral("BirthDay")), today);
                if (left.when == DaysLeft::Case::Today) {
                    ListView1->setSubItem(row, daysLeftColumn, QStringLiteral("Today"));
                    nearestName = person;
                    nearestDays = 0;
                } else {
                    ListView1->setSubItem(row, daysLeftColumn, QString::number(left.days));
                    if (nearestDays > left.days) {
                        nearestDays = left.days;
                        nearestName = person;
                    }
                }
            });
        }
        bool moved = false;
        guard.step(10, [&] {
            records.movenext();
            moved = true;
        });
        if (!moved)
            break;
    }
    ListView1->finishRefill();
    if (!opened)
        return; // nothing could be read: one report, an empty list, and the pass ends
    // The reminder check goes over the rows just read rather than reading a large list twice; the
    // snapshot is closed after it.
    guard.step(11, [&] { raiseAlertIfDue(isTest, newDay, &records); });
    guard.step(12, [&] {
        if (records.state() != 0)
            records.Close();
    });
    guard.step(13, [&] { setLabelText(Label1, nextBirthdayText(nearestName, nearestDays)); });
    guard.step(14, [&] { savedLabel = Label1->text(); });
}

} // namespace cw
