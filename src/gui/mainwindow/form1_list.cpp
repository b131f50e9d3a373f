// The list refill: every birthday in calendar order with its days left, and the next birthday.
#include "gui/mainwindow/form1.h"

#include "core/connection.h"
#include "core/daysleft.h"
#include "core/nextbirthday.h"
#include "core/recordset.h"
#include "core/statements.h"
#include "gui/services/datafolder.h"
#include "gui/services/errorreport.h"
#include "gui/services/labeltext.h"
#include "gui/services/listview.h"
#include "gui/services/services.h"

#include <QLabel>
#include <QLocale>
#include <QScopeGuard>

#include <array>
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

// A field's position, found on the first row that has it: a long list is not searched by name per cell.
class Field {
  public:
    explicit Field(QString name) : name_(std::move(name)) {}
    const QVariant& in(const Recordset& records) {
        if (index_ < 0)
            index_ = records.fieldIndex(name_);
        return records.value(index_);
    }

  private:
    QString name_;
    int index_ = -1;
};

// The small whole numbers of days and months share their texts instead of making one per cell.
QString numberText(qlonglong number) {
    static const std::array<QString, 366> numbers = [] {
        std::array<QString, 366> texts;
        for (size_t n = 0; n < texts.size(); ++n)
            texts[n] = QString::number(n);
        return texts;
    }();
    if (number >= 0 && number < static_cast<qlonglong>(numbers.size()))
        return numbers[static_cast<size_t>(number)];
    return QString::number(number);
}

// A stored text is taken as it is: the general conversion costs more than the rest of a row's work.
QString cellText(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QString:
        return *static_cast<const QString*>(value.constData());
    case QMetaType::LongLong:
        return numberText(value.toLongLong());
    default:
        return value.toString();
    }
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
    Recordset records;
    bool opened = false;
    guard.step(2, [&] {
        records.open(statements::listQuery(), sharedConnection(), adOpenStatic, adLockReadOnly);
        opened = true;
    });
    NextBirthday next;
    MonthNames monthNames(today.year());
    Field id(QStringLiteral("id")), personField(QStringLiteral("Person")),
        month(QStringLiteral("BirthMonth")), day(QStringLiteral("BirthDay"));
    while (opened && !records.EndOfFile()) {
        int row = -1;
        QString person;
        guard.step(4, [&] { row = ListView1->addItem(cellText(id.in(records))); });
        if (row >= 0) {
            guard.step(5, [&] {
                person = cellText(personField.in(records));
                ListView1->setSubItem(row, personColumn, person);
            });
            guard.step(6, [&] { ListView1->setSubItem(row, monthColumn, monthNames.of(month.in(records))); });
            guard.step(7, [&] { ListView1->setSubItem(row, dayColumn, cellText(day.in(records))); });
            guard.step(8, [&] { ListView1->setSubItem(row, monthNoColumn, cellText(month.in(records))); });
            guard.step(9, [&] {
                const DaysLeft left = daysLeft(month.in(records), day.in(records), today);
                ListView1->setSubItem(row, daysLeftColumn,
                                      left.when == DaysLeft::Case::Today ? QStringLiteral("Today")
                                                                         : numberText(left.days));
                next.take(person, left);
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
    guard.step(13, [&] { setLabelText(Label1, next.text()); });
    guard.step(14, [&] { savedLabel = Label1->text(); });
}

} // namespace cw
