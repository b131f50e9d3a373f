// A new day noticed by the tick: the list follows the calendar and a birthday that becomes due while
// the program runs is announced.
#include "gui/mainwindow/fixture.h"
#include "remindermain.h"

#include "gui/services/timercontrol.h"
#include "platform/settings.h"
#include "platform/statefile.h"

#include <QAction>
#include <QCheckBox>

using namespace cwtest;

class TestNewDay : public QObject {
    Q_OBJECT
  private slots:
    void alertAfterMidnight();
    void sameDayGivesNoPass();
    void severalDaysGiveOnePass();
    void doNotRemindYesterdayStillAlertsToday();
    void noOptionTickedStillRefreshes();
    void hiddenInTheTray();
    void alertAnsweredAfterMidnight_data();
    void alertAnsweredAfterMidnight();
    void missedDaysAreCaughtUp_data();
    void missedDaysAreCaughtUp();
};

namespace {
void passMidnight(MainWindowFixture& f, int days = 1) {
    f.sandbox.clock->current = QDateTime(f.sandbox.clock->current.date().addDays(days), QTime(0, 0, 1));
}
} // namespace

void TestNewDay::alertAfterMidnight() {
    MainWindowFixture f(QDate(2026, 7, 14));
    f.store({{"Ann", 7, 15}});
    f.start();
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in Ann 1 days"));
    f.form->Timer1_Timer();
    f.confirmAlert();
    passMidnight(f);
    f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, 1);
    QCOMPARE(f.column(4), QStringList({"Today"}));
    QCOMPARE(f.form->savedLabelText(), QStringLiteral("Next birthday is in Ann Today"));
    QVERIFY(f.form->Timer1->isTicking());
    // The snooze chosen in that alert counts its full hour from the next tick.
    QCOMPARE(f.form->duration, 3600);
    QCOMPARE(f.form->mysec, 0);
    f.form->Timer1_Timer();
    QCOMPARE(f.label(), QStringLiteral("You will be reminded of birthday in 1:00:00"));
    QCOMPARE(f.form->mysec, 1);
}

void TestNewDay::sameDayGivesNoPass() {
    MainWindowFixture f(QDate(2026, 7, 14));
    f.store({{"Ann", 7, 20}});
    f.start();
    cw::sharedConnection().execute(cw::statements::sampleInsert()); // would show up in a refill
    for (int tick = 0; tick < 5000; ++tick)
        f.form->Timer1_Timer();
    QCOMPARE(f.form->ListView1->count(), 1);
}

void TestNewDay::severalDaysGiveOnePass() {
    MainWindowFixture f(QDate(2026, 7, 10));
    f.store({{"Ann", 7, 15}});
    f.start();
    f.closeAlert();
    passMidnight(f, 5); // a wake from suspend
    for (int tick = 0; tick < 100; ++tick)
        f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, 1);
    QCOMPARE(f.column(4), QStringList({"Today"}));
}

void TestNewDay::doNotRemindYesterdayStillAlertsToday() {
    MainWindowFixture f(QDate(2026, 7, 14));
    f.store({{"Yesterday", 7, 14}, {"Today", 7, 15}});
    f.startDeclining();
    QCOMPARE(f.form->duration, 0);
    f.closeAlert();
    passMidnight(f);
    f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, 2); // the one declined at the start, then today's
    QCOMPARE(f.alerts.text, QStringLiteral("Today's birthday is today.\r\n"));
}

void TestNewDay::noOptionTickedStillRefreshes() {
    MainWindowFixture f(QDate(2026, 7, 14));
    f.store({{"Ann", 7, 15}});
    f.start();
    f.form->Check1->click();
    f.closeAlert();
    passMidnight(f);
    f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, 0);
    QCOMPARE(f.column(4), QStringList({"Today"}));
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in Ann Today"));
}

void TestNewDay::hiddenInTheTray() {
    MainWindowFixture f(QDate(2026, 7, 14));
    f.store({{"Ann", 7, 15}});
    f.start();
    f.minimise();
    QTRY_VERIFY(f.form->isMinimisedToTray());
    f.closeAlert();
    passMidnight(f);
    f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, 1);
}

void TestNewDay::alertAnsweredAfterMidnight_data() {
    QTest::addColumn<bool>("snoozeEnds");
    QTest::newRow("start-up alert") << false;
    QTest::newRow("snooze's alert") << true;
}

// An alert answered after midnight: its pass saw the day it began on, so the first tick of the new
// day runs that day's pass.
void TestNewDay::alertAnsweredAfterMidnight() {
    QFETCH(bool, snoozeEnds);
    MainWindowFixture f(QDate(2026, 7, 14));
    f.store({{"Ann", 7, 14}, {"Bob", 7, 15}});
    f.load();
    if (snoozeEnds) {
        f.confirmAlert(); // remind again in 1 hour
        f.form->Form_Activate();
        f.form->mysec = f.form->duration - 1; // the hour is up at the next tick
    }
    f.closeAlert([&](cw::Form3*) { passMidnight(f); });
    if (snoozeEnds)
        f.form->Timer1_Timer();
    else
        f.form->Form_Activate();
    f.closeAlert();
    f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, snoozeEnds ? 3 : 2);
    QCOMPARE(f.alerts.text, QStringLiteral("Bob's birthday is today.\r\n"));
    QCOMPARE(f.column(4), QStringList({"364", "Today"}));
}

// Sessions on the given days (the program closed in between), with the day-of and the 7-day reminder
// ticked: the last one's alert adds the reminders that fell on the days no session saw, 30 at most.
void TestNewDay::missedDaysAreCaughtUp_data() {
    QTest::addColumn<QList<int>>("sessions"); // days after July 10
    QTest::addColumn<QString>("stored");      // "Last Reminder Day" before the first
    QTest::addColumn<bool>("catchUp");
    QTest::addColumn<QString>("alert"); // of the last session; empty: none came
    const QString today = "Cy's birthday is today.\r\nDee's birthday is in 7 days.\r\n";
    QTest::newRow("three days later")
        << QList<int>{0, 3} << QString() << true
        << "Ann's birthday was yesterday.\r\nCy's birthday is today.\r\nBob's birthday is in 5 days.\r\n"
           "Dee's birthday is in 7 days.\r\n";
    QTest::newRow("without the catch-up") << QList<int>{0, 3} << QString() << false << today;
    QTest::newRow("the first start ever") << QList<int>{3} << QString() << true << today;
    QTest::newRow("45 days later, the last 30")
        << QList<int>{0, 45} << QString() << true << "Eve's birthday was 23 days ago.\r\n";
    QTest::newRow("41 days later, twice: 30 days back, not 31")
        << QList<int>{0, 41, 41} << QString() << true << "Eve's birthday was 19 days ago.\r\n";
    QTest::newRow("the clock set back") << QList<int>{0, -2} << QString() << true << QString();
    // One start under a clock wrongly ahead is forgotten at the next right one.
    QTest::newRow("a wrong clock once")
        << QList<int>{0, 53, 5, 11} << QString() << true
        << "Bob's birthday was 3 days ago.\r\nDee's birthday was yesterday.\r\n";
    QTest::newRow("damaged, far back") << QList<int>{3} << "2026-07-13 1900-01-01" << true << today;
    QTest::newRow("damaged, year 50") << QList<int>{3} << "2026-07-13 0050-01-01" << true << today;
}

void TestNewDay::missedDaysAreCaughtUp() {
    QFETCH(QList<int>, sessions);
    QFETCH(QString, stored);
    QFETCH(bool, catchUp);
    QFETCH(QString, alert);
    const QDate july10(2026, 7, 10);
    MainWindowFixture f(july10.addDays(sessions[0]));
    f.store({{"Ann", 7, 12}, {"Bob", 7, 18}, {"Cy", 7, 13}, {"Dee", 7, 20}, {"Eve", 8, 1}});
    cw::writeSetting(cw::SettingKey::Check4, "1");
    cw::writeState(cw::StateKey::LastReminderDay, stored);
    for (const int day : sessions) {
        f.sandbox.clock->current = QDateTime(july10.addDays(day), QTime(9, 0));
        f.alerts = {};
        if (day == sessions.last())
            f.confirmAlert(0); // a snooze of an hour
        f.form ? f.restart() : f.start();
        for (QAction* action : f.form->ListView1->actions()) // unticked in the list's context menu
            if (!catchUp && action->text() == "Catch up on reminders missed while the computer was off")
                action->setChecked(false);
    }
    QCOMPARE(f.alerts.text, alert);
    QCOMPARE(f.errorReports(), 0);
    if (!catchUp) { // nor does a new day bring an alert by itself, only the snooze
        f.closeAlert();
        passMidnight(f, 5);
        f.form->Timer1_Timer();
        QCOMPARE(f.alerts.count, 1);
    }
    if (sessions != QList<int>{0, 3} || !catchUp)
        return;
    // The snooze brings the caught-up lines back; "Do not remind me again" ends them, and the next
    // day has none.
    f.sandbox.clock->current = f.sandbox.clock->current.addSecs(3600);
    f.confirmAlert(4);
    f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, 2);
    QCOMPARE(f.alerts.text, alert);
    QCOMPARE(f.form->duration, 0);
    passMidnight(f);
    f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, 2);
}

CW_REMINDER_TEST_MAIN(TestNewDay)
#include "test_newday.moc"
