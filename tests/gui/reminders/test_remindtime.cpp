// Reminders at a time of day, driven through the real window with a clock the test sets: each day's
// reminder and each evening's comes once, at its time, whatever the clock does in between.
#include "gui/mainwindow/fixture.h"
#include "remindermain.h"

#include "gui/reminders/remindtimedialog.h"
#include "gui/tray/csystray.h"
#include "platform/settings.h"
#include "platform/statefile.h"

#include <QAction>
#include <QCheckBox>
#include <QTimeEdit>

using namespace cwtest;

class TestRemindTime : public QObject {
    Q_OBJECT
  private slots:
    void onceAtItsTime_data();
    void onceAtItsTime();
    void chosenInItsDialog();
};

// Steps, each at a wall time: "start T", "restart T", "tick T", "every S until T" (a tick each S
// seconds, as the timer gives them). Each alert that comes up is recorded as "yyyy-MM-dd HH:mm" and
// its first line. The clock set back, daylight saving and travel are the timed walk's.
void TestRemindTime::onceAtItsTime_data() {
    QTest::addColumn<QString>("remindAt");
    QTest::addColumn<QString>("evening");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("alerts");
    QTest::addColumn<QString>("tip"); // the tray's tip after the last step
    const QString ann = "Ann's birthday is today.";
    QTest::newRow("no time: at start, as before")
        << ""
        << "" << QStringList{"start 2026-07-14T08:00", "every 60 until 2026-07-14T10:00"}
        << QStringList{"2026-07-14 08:00 " + ann} << "Candlewise Software";
    QTest::newRow("start before the time, then a restart")
        << "09:00"
        << "19:00"
        << QStringList{"start 2026-07-14T08:00", "every 30 until 2026-07-14T09:30",
                       "restart 2026-07-14T10:00"}
        << QStringList{"2026-07-14 09:00 " + ann} << "Candlewise Software\nNext reminder at 19:00";
    QTest::newRow("start after the time, then a restart")
        << "09:00"
        << "" << QStringList{"start 2026-07-14T11:00", "restart 2026-07-14T11:05"}
        << QStringList{"2026-07-14 11:00 " + ann} << "Candlewise Software\nNext reminder at 09:00";
    QTest::newRow("a new day waits for the time, a sleep across it")
        << "09:00"
        << ""
        << QStringList{"start 2026-07-13T22:00", "every 600 until 2026-07-14T08:50", "tick 2026-07-14T13:00",
                       "tick 2026-07-14T13:01"}
        << QStringList{"2026-07-14 13:00 " + ann} << "Candlewise Software\nNext reminder at 09:00";
    QTest::newRow("the evening before, then the day with the days missed")
        << "09:00"
        << "19:00"
        << QStringList{"start 2026-07-10T08:00", "tick 2026-07-10T09:00", "restart 2026-07-13T18:00",
                       "every 60 until 2026-07-13T19:10", "every 600 until 2026-07-14T09:30"}
        << QStringList{"2026-07-13 18:00 Bob's birthday was yesterday.",
                       "2026-07-13 19:00 Ann's birthday is tomorrow.", "2026-07-14 09:00 " + ann}
        << "Candlewise Software\nNext reminder at 19:00";
}

void TestRemindTime::onceAtItsTime() {
    QFETCH(QString, remindAt);
    QFETCH(QString, evening);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, alerts);
    QFETCH(QString, tip);
    MainWindowFixture f;
    f.store({{"Ann", 7, 14}, {"Bob", 7, 12}, {"Cy", 3, 28}, {"Dee", 10, 25}});
    cw::writeSetting(cw::SettingKey::RemindAt, remindAt);
    cw::writeSetting(cw::SettingKey::RemindEveningBefore, evening);
    QDateTime& clock = f.sandbox.clock->current;
    QStringList seen;
    int answered = -1;
    for (const QString& step : steps) {
        const QStringList words = step.split(' ');
        const auto wall = [](const QString& text) { return QDateTime::fromString(text, Qt::ISODate); };
        if (f.alerts.count != answered) { // one answer waits for the next alert
            answered = f.alerts.count;
            f.confirmAlert(4, [&](cw::Form3* alert) {
                seen << clock.toString("yyyy-MM-dd HH:mm ") + alert->Label1->text().section("\r\n", 0, 0);
            });
        }
        if (words[0] == "every") {
            for (const QDateTime end = wall(words[3]); clock < end;) {
                clock = clock.addSecs(words[1].toInt());
                f.form->Timer1_Timer();
            }
        } else {
            clock = wall(words[1]);
            if (words[0] == "tick")
                f.form->Timer1_Timer();
            else
                words[0] == "start" ? f.start() : f.restart();
        }
    }
    QCOMPARE(seen, alerts);
    QCOMPARE(f.form->cSysTray1->TrayTip(), tip);
    QCOMPARE(f.errorReports(), 0);
}

// The choice is made in the dialog of the list's context menu and kept in the settings; Cancel keeps
// what was there, and a damaged setting counts as none.
void TestRemindTime::chosenInItsDialog() {
    MainWindowFixture f;
    cw::writeSetting(cw::SettingKey::RemindAt, "25:00");
    f.store({});
    f.start();
    QAction* option = nullptr;
    for (QAction* action : f.form->ListView1->actions())
        if (action->text() == "Remind at a time of day…")
            option = action;
    QVERIFY(option);
    const auto choose = [&](std::function<void(cw::RemindTimeDialog*)> answer) {
        f.withdrawAtEnd(whenModal<cw::RemindTimeDialog>(answer));
        option->trigger();
        return QStringList{cw::readSetting(cw::SettingKey::RemindAt),
                           cw::readSetting(cw::SettingKey::RemindEveningBefore)};
    };
    QCOMPARE(choose([](cw::RemindTimeDialog* dialog) {
                 QVERIFY(dialog->dayBegins->isChecked() && !dialog->dayTime->isEnabled());
                 dialog->atTime->click();
                 QTest::keyClick(dialog->dayTime, Qt::Key_Up); // the hours, to 10
                 dialog->evening->click();
                 QTest::keyClick(dialog, Qt::Key_Return);
             }),
             (QStringList{"10:00", "19:00"}));
    QCOMPARE(f.form->cSysTray1->TrayTip(), "Candlewise Software\nNext reminder at 10:00");
    QCOMPARE(choose([](cw::RemindTimeDialog* dialog) {
                 dialog->dayBegins->click();
                 QTest::keyClick(dialog, Qt::Key_Escape);
             }),
             (QStringList{"10:00", "19:00"}));
    QCOMPARE(choose([](cw::RemindTimeDialog* dialog) {
                 QCOMPARE(dialog->dayTime->time(), QTime(10, 0));
                 dialog->dayBegins->click();
                 dialog->evening->click();
                 QTest::keyClick(dialog, Qt::Key_Return);
             }),
             (QStringList{"", ""}));
    QCOMPARE(f.form->cSysTray1->TrayTip(), "Candlewise Software");
}

CW_REMINDER_TEST_MAIN(TestRemindTime)
#include "test_remindtime.moc"
