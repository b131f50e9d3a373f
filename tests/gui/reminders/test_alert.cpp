// The due rule, the alert text, the snooze preselection, OK and the tune.
#include "gui/mainwindow/fixture.h"
#include "remindermain.h"

#include "core/daysleft.h"
#include "gui/reminders/duerows.h"
#include "gui/reminders/duerule.h"
#include "gui/services/timercontrol.h"
#include "platform/settings.h"
#include "support/shown.h"

#include <QCheckBox>
#include <QFile>
#include <QSettings>

using namespace cwtest;

namespace {
// A loaded main window whose boxes are ticked as given (Check1, Check2, Check4, Check5, Check6).
void tick(cw::Form1& form, const cw::ReminderBoxes& boxes) {
    const std::array<QCheckBox*, 5> checks{form.Check1, form.Check2, form.Check4, form.Check5, form.Check6};
    for (size_t i = 0; i < checks.size(); ++i)
        checks[i]->setChecked(boxes[i] == 1);
}
} // namespace

class TestAlert : public QObject {
    Q_OBJECT
  private slots:
    void dueRule_data();
    void dueRule();
    void checkOverTheStore();
    void alertTextInListOrder();
    void preselection();
    void okForEachChoice_data();
    void okForEachChoice();
    void closeBoxKeepsTheSnooze();
    void keysChoose_data();
    void keysChoose();
    void tunePlaysAndStops();
    void silentWithoutTheTune();
    void undecodableTuneIsReportedAtOpen();
    void unusableRowIsSkipped();
    void namesShowAsTyped_data();
    void namesShowAsTyped();
    void yearsInLines();
};

void TestAlert::dueRule_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("days");
    QTest::addColumn<bool>("due");
    QTest::newRow("day itself") << 0 << 0 << true;
    QTest::newRow("3 days") << 1 << 3 << true;
    QTest::newRow("7 days") << 2 << 7 << true;
    QTest::newRow("14 days") << 3 << 14 << true;
    QTest::newRow("30 days") << 4 << 30 << true;
    QTest::newRow("no range: 5 days under the 7-day box") << 2 << 5 << false;
    QTest::newRow("today under the 3-day box") << 1 << 0 << false;
}

void TestAlert::dueRule() {
    QFETCH(int, box);
    QFETCH(int, days);
    QFETCH(bool, due);
    cw::ReminderBoxes boxes{0, 0, 0, 0, 0};
    QVERIFY(!cw::isDue(boxes, days));
    boxes[box] = 1;
    QCOMPARE(cw::isDue(boxes, days), due);
}

void TestAlert::checkOverTheStore() {
    MainWindowFixture f(QDate(2026, 12, 29));
    f.store({{"Jan", 1, 5}});
    auto& form = f.load();
    tick(form, {0, 0, 1, 0, 0});
    QVERIFY(form.HasBirthdayToday()); // 7 days through the next year's date
    tick(form, {1, 1, 0, 1, 1});
    QVERIFY(!form.HasBirthdayToday());
    tick(form, {0, 0, 0, 0, 0});
    QVERIFY(!form.HasBirthdayToday());
    cw::sharedConnection().execute("delete from tblBirthday");
    tick(form, {1, 1, 1, 1, 1});
    QVERIFY(!form.HasBirthdayToday()); // an empty store
    QCOMPARE(f.errorReports(), 0);
}

void TestAlert::alertTextInListOrder() {
    MainWindowFixture f(QDate(2026, 3, 10));
    f.store({{"Ben", 3, 13}, {"Anna", 3, 10}, {"Cleo", 3, 10}, {"Dora", 4, 9}, {"Eve", 3, 11}});
    auto& form = f.load();
    tick(form, {1, 1, 0, 0, 1});
    cw::Form3 alert(form);
    QCOMPARE(alert.Label1->text(),
             QStringLiteral("Anna's birthday is today.\r\nCleo's birthday is today.\r\n"
                            "Ben's birthday is in 3 days.\r\nDora's birthday is in 30 days.\r\n"));
    QCOMPARE(alert.windowTitle(), QStringLiteral("Birthday Alert!"));
}

void TestAlert::preselection() {
    MainWindowFixture f;
    auto& form = f.load();
    {
        cw::Form3 alert(form); // a fresh installation
        QCOMPARE(alert.selectedOption(), 0);
    }
    cw::writeOptions({false, false, true, false, false});
    {
        cw::Form3 alert(form);
        QCOMPARE(alert.selectedOption(), 2);
    }
    form.duration = 7200; // a running 2-hour snooze wins
    {
        cw::Form3 alert(form);
        QCOMPARE(alert.selectedOption(), 1);
    }
    QCOMPARE(f.errorReports(), 0);
}

void TestAlert::okForEachChoice_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<int>("duration");
    QTest::addColumn<bool>("dinalabel");
    QTest::newRow("1 hour") << 0 << 3600 << true;
    QTest::newRow("2 hours") << 1 << 7200 << true;
    QTest::newRow("6 hours") << 2 << 21600 << true;
    QTest::newRow("12 hours") << 3 << 43200 << true;
    QTest::newRow("do not remind") << 4 << 0 << false;
}

void TestAlert::okForEachChoice() {
    QFETCH(int, option);
    QFETCH(int, duration);
    QFETCH(bool, dinalabel);
    MainWindowFixture f;
    auto& form = f.load();
    form.duration = 7200;
    form.mysec = 99;
    form.Dinalabel = !dinalabel;
    cw::Form3 alert(form);
    const std::array<QRadioButton*, 5> options{alert.Option1, alert.Option2, alert.Option3, alert.Option4,
                                               alert.Option5};
    options[option]->click();
    alert.PushButton2->click();
    QCOMPARE(form.duration, duration);
    QCOMPARE(form.mysec, 0);
    QCOMPARE(form.Dinalabel, dinalabel);
    QVERIFY(form.Timer1->isTicking());
    QVERIFY(!alert.isVisible());
    QSettings raw(QSettings::IniFormat, QSettings::UserScope, "Marrowfen");
    raw.beginGroup("Candlewise Software");
    for (int i = 0; i < 5; ++i)
        QCOMPARE(raw.value(QStringLiteral("Option%1").arg(i + 1)).toString(), i == option ? "True" : "False");
}

void TestAlert::closeBoxKeepsTheSnooze() {
    MainWindowFixture f;
    auto& form = f.load();
    form.duration = 7200;
    form.mysec = 10;
    form.Dinalabel = true;
    cw::Form3 alert(form);
    alert.Option4->click(); // chosen, stored, but not applied
    alert.close();
    QCOMPARE(form.duration, 7200);
    QCOMPARE(form.mysec, 10);
    QCOMPARE(cw::readOption(cw::SettingKey::Option4), true);
}

// From OK: Shift+Tab, then arrows, then Enter; the stored choice, the focused one and the one applied.
void TestAlert::keysChoose_data() {
    QTest::addColumn<int>("stored"); // -1: none
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("chosen");
    QTest::newRow("Tab enters on the checked") << 2 << QList<int>{} << 2;
    QTest::newRow("down moves and checks") << 0 << QList<int>{Qt::Key_Down, Qt::Key_Down} << 2;
    QTest::newRow("up moves and checks") << 3 << QList<int>{Qt::Key_Up, Qt::Key_Up} << 1;
    QTest::newRow("none checked") << -1 << QList<int>{Qt::Key_Up} << 3;
}

void TestAlert::keysChoose() {
    QFETCH(int, stored);
    QFETCH(QList<int>, keys);
    QFETCH(int, chosen);
    MainWindowFixture f;
    cw::writeOptions({stored == 0, stored == 1, stored == 2, stored == 3, stored == 4});
    auto& form = f.start();
    cw::Form3 alert(form, &form);
    alert.show();
    QVERIFY(QTest::qWaitForWindowActive(&alert));
    QTest::keyClick(alert.PushButton2, Qt::Key_Backtab, Qt::ShiftModifier);
    for (const int key : keys)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QCOMPARE(QApplication::focusWidget(),
             alert.Option1->parentWidget()->findChildren<QRadioButton*>()[chosen]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(form.duration, (std::array{3600, 7200, 21600, 43200, 0}[chosen]));
}

void TestAlert::tunePlaysAndStops() {
    MainWindowFixture f;
    QVERIFY(f.sandbox.installSideFile("happybirthday.wav"));
    auto& form = f.load();
    {
        cw::Form3 alert(form);
        QCOMPARE(f.sandbox.playerLog.calls,
                 QStringList({"Open " + f.sandbox.appFolder() + "/happybirthday.wav", "Play"}));
        alert.show();
        f.sandbox.notices->click("option5"); // the notice's "Do not remind me again" answers the window
        QCOMPARE(f.sandbox.notices->calls, QStringList({"Birthday Alert!", "withdrawn"}));
        QVERIFY(cw::readOption(cw::SettingKey::Option5));
        QCOMPARE(f.sandbox.playerLog.calls.mid(2), QStringList({"Stop", "Destroyed"}));
    }
    QCOMPARE(f.errorReports(), 0);
}

void TestAlert::silentWithoutTheTune() {
    MainWindowFixture f;
    auto& form = f.load();
    cw::Form3 alert(form);
    QVERIFY(f.sandbox.playerLog.calls.isEmpty());
    QCOMPARE(f.sandbox.messages->shown.size(), 0);
}

void TestAlert::undecodableTuneIsReportedAtOpen() {
    MainWindowFixture f;
    cwtest::writeBytes(f.sandbox.appFolder() + "/happybirthday.wav", "not a wave file");
    auto& form = f.load();
    cw::Form3 alert(form);
    QCOMPARE(f.errorReports(), 1);
    QVERIFY(f.sandbox.messages->shown[0].text.contains("Form3.Form_Load at line 8"));
    QVERIFY(!f.sandbox.playerLog.calls.contains("Play"));
}

void TestAlert::unusableRowIsSkipped() {
    MainWindowFixture f(QDate(2026, 5, 5));
    f.store({{"Real", 5, 5}});
    auto& form = f.load();
    cw::sharedConnection().execute(
        "insert into tblBirthday (Person,BirthMonth,BirthDay) values ('Broken',NULL,5)");
    // The broken row sorts first; it must not count as due nor be listed with a borrowed distance.
    tick(form, {0, 0, 0, 0, 0});
    QVERIFY(!form.HasBirthdayToday());
    QCOMPARE(f.errorReports(), 1);
    tick(form, {1, 0, 0, 0, 0});
    cw::Form3 alert(form);
    QCOMPARE(alert.Label1->text(), QStringLiteral("Real's birthday is today.\r\n"));
}

void TestAlert::namesShowAsTyped_data() {
    cwtest::addMarkupLikeNames();
}

// A name that looks like markup is shown as typed, and the lines after it still show.
void TestAlert::namesShowAsTyped() {
    QFETCH(QString, name);
    MainWindowFixture f(QDate(2026, 6, 1));
    f.store({{name, 6, 1}, {"Bob", 6, 4}});
    tick(f.load(), {1, 1, 0, 0, 0});
    QString alertShowed;
    f.closeAlert([&](cw::Form3* alert) { alertShowed = shownText(alert->Label1); });
    f.form->Form_Activate();
    QCOMPARE(alertShowed, name + "'s birthday is today.\r\nBob's birthday is in 3 days.\r\n");
    QCOMPARE(shownText(f.form->Label1), "Next birthday is in " + name + " Today");
}

// The line of one row with a year or an anniversary under the day-of and 3-day reminders: the years
// across the year's end and on either day for February 29, and a right-to-left name set apart.
void TestAlert::yearsInLines() {
    using enum cw::DateKind;
    using enum cw::LeapDayRule;
    // clang-format off
    const std::tuple<QDate, cw::LeapDayRule, QString, int, int, int, cw::DateKind, QString> cases[]{
        {{2026, 12, 29}, March1, "Ben", 1, 1, 1985, Birthday, "Ben's birthday is in 3 days (turns 42)."},
        {{2027, 2, 26}, March1, "Lea", 2, 29, 2000, Birthday, "Lea's birthday is in 3 days (turns 27)."},
        {{2027, 2, 25}, February28, "Lea", 2, 29, 2000, Birthday, "Lea's birthday is in 3 days (turns 27)."},
        {{2027, 2, 25}, March1, "Lea", 2, 29, 2000, Birthday, ""}, // 4 days
        {{2026, 12, 7}, March1, "Ann", 12, 10, 0, Anniversary, "Ann's anniversary is in 3 days."},
        {{2026, 12, 7}, March1, "ليلى", 12, 7, 1990, Birthday,
         "\u200e\u2068ليلى\u2069's birthday is today (turns 36)."}};
    // clang-format on
    for (const auto& [today, rule, name, month, day, year, kind, line] : cases) {
        cw::setLeapDayRule(rule);
        cw::BirthdayList list;
        list.add(1, name, month, day, {year, kind, {}});
        const cw::DatedRow row{list, 0, list.daysLeft(0, today).days};
        QCOMPARE(cw::dueLine({1, 1, 0, 0, 0}, {}, row, today), line.isEmpty() ? line : line + "\r\n");
    }
    cw::setLeapDayRule(March1);
    // The catch-up's line of a day gone by tells the years reached then (the walk checks a birthday's).
    QCOMPARE(cw::alertLine("Al", -3, {Anniversary, 40}), "Al's anniversary was 3 days ago (40 years).\r\n");
}

CW_REMINDER_TEST_MAIN(TestAlert)
#include "test_alert.moc"
