// Reminders at a time of day: the day's reminder waits for its time, once a day whatever the clock
// does, and one comes the evening before; the tray's tip names the next.
#include "gui/mainwindow/form1.h"

#include "core/config.h"
#include "gui/addressbooks/addressbooksync.h"
#include "gui/reminders/duerows.h"
#include "gui/reminders/duerule.h"
#include "gui/reminders/form3.h"
#include "gui/reminders/remindtimedialog.h"
#include "gui/services/errorreport.h"
#include "gui/services/listview.h"
#include "gui/services/services.h"
#include "gui/services/timercontrol.h"
#include "gui/tray/csystray.h"
#include "platform/settings.h"
#include "platform/statefile.h"

#include <QAction>

namespace cw {

namespace {
QDate storedDay(StateKey key) {
    return QDate::fromString(readState(key), Qt::ISODate);
}
} // namespace

void Form1::addRemindTimeOption() {
    reminderTimes_ = readReminderTimes();
    givenReminders_ = {storedDay(StateKey::TimedReminderDay), storedDay(StateKey::EveningReminderDay)};
    auto* option = new QAction(QStringLiteral("Remind at a time of day…"), ListView1);
    ListView1->addAction(option);
    connect(option, &QAction::triggered, this, &Form1::chooseReminderTimes);
}

void Form1::chooseReminderTimes() {
    RemindTimeDialog dialog(reminderTimes_, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    reminderTimes_ = dialog.chosen();
    writeSetting(SettingKey::RemindAt,
                 reminderTimes_.dayAt ? timeOfDayText(*reminderTimes_.dayAt) : QString());
    writeSetting(SettingKey::RemindEveningBefore,
                 reminderTimes_.eveningAt ? timeOfDayText(*reminderTimes_.eveningAt) : QString());
    // A time chosen today, later than now, is today's: the pass that ran as the day began counted
    // as the day's reminder only under the old choice.
    const QDateTime now = services().clock().now();
    if (reminderTimes_.dayAt && !hasReached(now, *reminderTimes_.dayAt) && givenReminders_.day == now.date())
        givenReminders_.day = QDate();
    followReminderTimes();
}

// Whether the day's pass may raise its alert now: always as the day begins when no time is set;
// with a time, once it has come and only the first time that day.
bool Form1::takeDayReminder() {
    if (!reminderTimes_.dayAt)
        return true;
    const QDateTime now = services().clock().now();
    if (!hasReached(now, *reminderTimes_.dayAt) || isGiven(givenReminders_.day, now.date()))
        return false;
    givenReminders_.day = now.date();
    writeState(StateKey::TimedReminderDay, now.date().toString(Qt::ISODate));
    followReminderTimes();
    return true;
}

// Each tick: a reminder whose time has come. Its day is noted first, so that nothing makes it twice.
bool Form1::giveTimedReminders() {
    if (!reminderTimes_.any() || startingUp || inListPass_)
        return false;
    const QDateTime now = services().clock().now();
    const DueReminders due = dueReminders(reminderTimes_, givenReminders_, now);
    if (due.day) {
        if (duration > 0)
            beginCycle(now);
        refill(false, true);
        return true;
    }
    if (due.evening) {
        givenReminders_.evening = now.date();
        writeState(StateKey::EveningReminderDay, now.date().toString(Qt::ISODate));
        followReminderTimes();
        if (!hasBirthdayTomorrow())
            return false;
        Timer1->stop();
        Form3 alert(*this, this, nullptr, nullptr, AlertDay::Tomorrow);
        alert.exec();
        if (!closed_)
            Timer1->restart();
        return true;
    }
    followReminderTimes();
    return false;
}

bool Form1::hasBirthdayTomorrow() {
    ErrorGuard guard(Location::Form1_HasBirthdayToday);
    const ReminderBoxes boxes = reminderBoxes();
    bool found = false;
    visitDatedRows(guard, [&](const DatedRow& row) {
        found = !tomorrowLine(boxes, row).isEmpty();
        return !found;
    });
    return found;
}

// The tray's tip: the program, the next reminder's time while one is set, and the books that fail.
void Form1::followReminderTimes() {
    QString tip = config::productName;
    if (const auto next = nextReminderTime(reminderTimes_, givenReminders_, services().clock().now()))
        tip += QStringLiteral("\nNext reminder at ") + timeOfDayText(*next);
    const QString failing = addressBooks ? addressBooks->failingSummary() : QString();
    if (!failing.isEmpty())
        tip += QLatin1Char('\n') + failing;
    if (cSysTray1 && cSysTray1->TrayTip() != tip)
        cSysTray1->setTrayTip(tip);
}

} // namespace cw
