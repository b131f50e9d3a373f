// The once-a-second tick: the countdown, the end of a snooze cycle, and the test command's alert.
#include "gui/mainwindow/fixture.h"
#include "remindermain.h"

#include "gui/reminders/duerule.h"
#include "gui/services/timercontrol.h"

using namespace cwtest;

class TestTimer : public QObject {
    Q_OBJECT
  private slots:
    void formatCountdown_data();
    void formatCountdown();
    void oneHourSnoozeCycle();
    void cycleEndWithADueBirthdayShowsTheAlert();
    void doNotRemindGivesTheNextBirthdayText();
    void refillDuringASnoozeOpensTheAlert();
    void snoozeKeepsToTheClockAcrossASuspend();
};

void TestTimer::formatCountdown_data() {
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("12 h") << 43200 << "12:00:00";
    QTest::newRow("6 h") << 21600 << "6:00:00";
    QTest::newRow("2 h") << 7200 << "2:00:00";
    QTest::newRow("1 h") << 3600 << "1:00:00";
    QTest::newRow("59:59") << 3599 << "59:59";
    QTest::newRow("1:01") << 61 << "1:01";
    QTest::newRow("0:05") << 5 << "0:05";
    QTest::newRow("0:01") << 1 << "0:01";
    QTest::newRow("h:mm:ss") << 3661 << "1:01:01";
}

void TestTimer::formatCountdown() {
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QCOMPARE(cw::FormatCountdown(seconds), text);
}

void TestTimer::oneHourSnoozeCycle() {
    MainWindowFixture f(QDate(2026, 6, 1));
    f.store({{"Later", 6, 20}});
    auto& form = f.start();
    form.duration = 3600;
    form.mysec = 0;
    form.Dinalabel = true;
    form.Timer1_Timer();
    QCOMPARE(f.label(), QStringLiteral("You will be reminded of birthday in 1:00:00"));
    form.Timer1_Timer();
    QCOMPARE(f.label(), QStringLiteral("You will be reminded of birthday in 59:59"));
    for (int tick = 2; tick < 3600; ++tick)
        form.Timer1_Timer();
    QCOMPARE(f.label(), QStringLiteral("You will be reminded of birthday in 0:01"));
    QCOMPARE(form.mysec, 0); // the 3,600th tick ran the check and began a new cycle
    form.Timer1_Timer();
    QCOMPARE(f.label(), QStringLiteral("You will be reminded of birthday in 1:00:00"));
    QCOMPARE(f.sandbox.messages->shown.size(), 0);
}

void TestTimer::cycleEndWithADueBirthdayShowsTheAlert() {
    MainWindowFixture f(QDate(2026, 6, 1));
    f.store({{"Ann", 6, 1}});
    f.load();
    f.closeAlert();
    f.form->Form_Activate();
    QCOMPARE(f.alerts.count, 1);
    f.form->duration = 5;
    f.form->mysec = 0;
    f.form->Dinalabel = true;
    bool timerStoppedDuringAlert = false;
    // The close box: the same snooze goes on.
    f.closeAlert([&](cw::Form3*) { timerStoppedDuringAlert = !f.form->Timer1->isTicking(); });
    for (int tick = 0; tick < 5; ++tick)
        f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, 2);
    QVERIFY(timerStoppedDuringAlert);
    QVERIFY(f.form->Timer1->isTicking());
    QCOMPARE(f.form->duration, 5);
    QCOMPARE(f.form->mysec, 0);
}

void TestTimer::doNotRemindGivesTheNextBirthdayText() {
    MainWindowFixture f(QDate(2026, 6, 1));
    f.store({{"Ann", 6, 1}});
    f.startDeclining();
    QCOMPARE(f.form->duration, 0);
    QVERIFY(!f.form->Dinalabel);
    f.form->Label1->setText("stale countdown");
    f.form->Timer1_Timer();
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in Ann Today"));
    // No alert comes back while the program runs, however long it ticks.
    f.closeAlert();
    for (int tick = 0; tick < 5000; ++tick)
        f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, 1); // the one declined at the start
}

void TestTimer::refillDuringASnoozeOpensTheAlert() {
    MainWindowFixture f(QDate(2026, 6, 1));
    f.start();
    f.form->duration = 3600;
    f.form->Dinalabel = true;
    whenModal<cw::Form2>([](cw::Form2* editor) {
        QTest::keyClicks(editor->Text1, "Ann");
        editor->PushButton6->click(); // today's date is preselected
    });
    f.confirmAlert();
    f.form->PushButton6->click();
    QTRY_COMPARE(f.alerts.count, 1);
    QCOMPARE(f.alerts.text, QStringLiteral("Ann's birthday is today.\r\n"));
    QCOMPARE(f.form->duration, 3600); // the running snooze was offered again
}

// Ticks stop while the machine sleeps: the first one after the wake counts the time that passed.
void TestTimer::snoozeKeepsToTheClockAcrossASuspend() {
    MainWindowFixture f(QDate(2026, 6, 1));
    f.store({{"Ann", 6, 1}});
    f.load();
    f.confirmAlert(0);
    f.form->Form_Activate();
    f.form->Timer1_Timer();
    QCOMPARE(f.label(), QStringLiteral("You will be reminded of birthday in 1:00:00"));
    auto& clock = f.sandbox.clock->current;
    clock = clock.addSecs(30 * 60);
    f.form->Timer1_Timer();
    QCOMPARE(f.label(), QStringLiteral("You will be reminded of birthday in 30:01")); // as at 1,800 ticks
    f.closeAlert();
    clock = clock.addSecs(8 * 3600);
    f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, 2);
    f.form->Timer1_Timer();
    QCOMPARE(f.label(), QStringLiteral("You will be reminded of birthday in 1:00:00"));
}

CW_REMINDER_TEST_MAIN(TestTimer)
#include "test_timer.moc"
