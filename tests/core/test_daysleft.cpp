// The days-left rule: today, tomorrow, yesterday, the year's turn, leap days and rolled-over dates.
#include "core/age.h"
#include "core/apperror.h"
#include "core/daysleft.h"

#include <QTest>

using namespace cw;

class TestDaysLeft : public QObject {
    Q_OBJECT
  private slots:
    void rule_data();
    void rule();
    void buildDateNormalises_data();
    void buildDateNormalises();
    void failures_data();
    void failures();
    void neverAbove365();
    void buildDateOutOfRange();
    void agesFrom1800To2200();
};

void TestDaysLeft::rule_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("when");
    const int passed = int(DaysLeft::Case::Passed), now = int(DaysLeft::Case::Today),
              later = int(DaysLeft::Case::Later);
    QTest::newRow("today") << QDate(2026, 12, 7) << 12 << 7 << 0 << now;
    QTest::newRow("tomorrow") << QDate(2026, 12, 7) << 12 << 8 << 1 << later;
    QTest::newRow("yesterday, common year ahead") << QDate(2026, 12, 7) << 12 << 6 << 364 << passed;
    QTest::newRow("yesterday, leap day ahead") << QDate(2027, 12, 7) << 12 << 6 << 365 << passed;
    QTest::newRow("Dec 31 to Jan 1") << QDate(2026, 12, 31) << 1 << 1 << 1 << passed;
    QTest::newRow("Dec 31 to Dec 30") << QDate(2026, 12, 31) << 12 << 30 << 364 << passed;
    QTest::newRow("Dec 31 to Dec 30, leap ahead") << QDate(2027, 12, 31) << 12 << 30 << 365 << passed;
    QTest::newRow("Feb 29 on Feb 28, common year") << QDate(2026, 2, 28) << 2 << 29 << 1 << later;
    QTest::newRow("Feb 29 on Mar 1, common year") << QDate(2026, 3, 1) << 2 << 29 << 0 << now;
    QTest::newRow("Feb 29 on Feb 28, leap year") << QDate(2028, 2, 28) << 2 << 29 << 1 << later;
    QTest::newRow("Feb 29 on Mar 1, leap year") << QDate(2028, 3, 1) << 2 << 29 << 365 << passed;
    QTest::newRow("April 31 is May 1") << QDate(2026, 4, 30) << 4 << 31 << 1 << later;
    QTest::newRow("Feb 30 common is Mar 2") << QDate(2026, 3, 2) << 2 << 30 << 0 << now;
    QTest::newRow("Feb 30 leap is Mar 1") << QDate(2028, 3, 1) << 2 << 30 << 0 << now;
    QTest::newRow("day 0 is the last of the month before") << QDate(2028, 2, 29) << 3 << 0 << 0 << now;
    QTest::newRow("largest value") << QDate(2028, 1, 1) << 12 << 31 << 365 << later;
    QTest::newRow("Dec 29 to Jan 5") << QDate(2026, 12, 29) << 1 << 5 << 7 << passed;
    QTest::newRow("Dec 20 to Jan 5") << QDate(2026, 12, 20) << 1 << 5 << 16 << passed;
    // Months and days beyond the calendar, from a file edited by hand: the next of their dates.
    QTest::newRow("month 13 early in January") << QDate(2027, 1, 2) << 13 << 5 << 3 << later;
    QTest::newRow("month -1 after its day") << QDate(2026, 12, 7) << -1 << 5 << 333 << passed;
    QTest::newRow("day 400 of January") << QDate(2026, 1, 2) << 1 << 400 << 33 << later;
}

void TestDaysLeft::rule() {
    QFETCH(QDate, today);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(int, days);
    QFETCH(int, when);
    // A row the rule rejects fails alone, and the rows after it still run.
    DaysLeft result{};
    QVERIFY_THROWS_NO_EXCEPTION(result = daysLeft(month, day, today));
    QCOMPARE(result.days, days);
    QCOMPARE(int(result.when), when);
    // The stored values arrive as variants of any kind.
    QCOMPARE(daysLeft(QVariant(qlonglong(month)), QVariant(QString::number(day)), today).days, days);
}

void TestDaysLeft::buildDateNormalises_data() {
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<QDate>("expected");
    QTest::newRow("month 13") << 2026 << 13 << 1 << QDate(2027, 1, 1);
    QTest::newRow("month 0") << 2026 << 0 << 15 << QDate(2025, 12, 15);
    QTest::newRow("month -1") << 2026 << -1 << 1 << QDate(2025, 11, 1);
    QTest::newRow("month 25") << 2026 << 25 << 1 << QDate(2028, 1, 1);
    QTest::newRow("day 0") << 2026 << 1 << 0 << QDate(2025, 12, 31);
    QTest::newRow("day 40") << 2026 << 1 << 40 << QDate(2026, 2, 9);
    QTest::newRow("Feb 29 common") << 2026 << 2 << 29 << QDate(2026, 3, 1);
}

void TestDaysLeft::buildDateNormalises() {
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(QDate, expected);
    QDate built;
    QVERIFY_THROWS_NO_EXCEPTION(built = buildDate(year, month, day));
    QCOMPARE(built, expected);
}

void TestDaysLeft::failures_data() {
    QTest::addColumn<QVariant>("month");
    QTest::addColumn<QVariant>("day");
    QTest::newRow("null month") << QVariant() << QVariant(5);
    QTest::newRow("null day") << QVariant(5) << QVariant();
    QTest::newRow("word") << QVariant(QStringLiteral("May")) << QVariant(5);
    QTest::newRow("above 16 bits") << QVariant(5) << QVariant(40000);
    QTest::newRow("below 16 bits") << QVariant(-40000) << QVariant(5);
    QTest::newRow("year before 100") << QVariant(-32000) << QVariant(1);
}

void TestDaysLeft::failures() {
    QFETCH(QVariant, month);
    QFETCH(QVariant, day);
    QVERIFY_THROWS_EXCEPTION(AppError, daysLeft(month, day, QDate(2026, 12, 7)));
}

void TestDaysLeft::neverAbove365() {
    for (QDate today(2027, 1, 1); today <= QDate(2029, 1, 1); today = today.addDays(1)) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= QDate(2028, month, 1).daysInMonth(); ++day) {
                const int days = daysLeft(month, day, today).days;
                if (days < 0 || days > 365)
                    QFAIL(qPrintable(
                        QString("%1 for %2/%3 on %4").arg(days).arg(month).arg(day).arg(today.toString())));
            }
        }
    }
}

void TestDaysLeft::buildDateOutOfRange() {
    QVERIFY_THROWS_EXCEPTION(AppError, buildDate(9999, 13, 1));
    QVERIFY_THROWS_EXCEPTION(AppError, buildDate(100, 1, 0));
    QCOMPARE(buildDate(9999, 12, 31), QDate(9999, 12, 31));
}

// The age turned on the coming birthday, for every 13th day from 1800 to 2200 under both February 29
// choices, against the calendar counted by hand: the birthday still to come this year, or next year's.
void TestDaysLeft::agesFrom1800To2200() {
    const QList<QDate> births{{1800, 1, 1}, {1804, 2, 29}, {1899, 12, 31}, {1960, 2, 28}, {1996, 2, 29}};
    for (const LeapDayRule rule : {LeapDayRule::March1, LeapDayRule::February28}) {
        setLeapDayRule(rule);
        for (QDate today(1800, 1, 1); today.year() <= 2200; today = today.addDays(13)) {
            for (const QDate& birth : births) {
                const auto dayIn = [&](int year) {
                    const bool moved = birth.month() == 2 && birth.day() == 29 && !QDate::isLeapYear(year);
                    return !moved                        ? QDate(year, birth.month(), birth.day())
                           : rule == LeapDayRule::March1 ? QDate(year, 3, 1)
                                                         : QDate(year, 2, 28);
                };
                const int coming = dayIn(today.year()) >= today ? today.year() : today.year() + 1;
                const QDate occurrence = today.addDays(daysLeft(birth.month(), birth.day(), today).days);
                const int expected = birth < today ? coming - birth.year() : 0;
                if (occurrence != dayIn(coming) || yearsOn(birth.year(), occurrence) != expected)
                    QFAIL(qPrintable(
                        QString("%1 on %2").arg(birth.toString(Qt::ISODate), today.toString(Qt::ISODate))));
            }
        }
    }
    setLeapDayRule(LeapDayRule::March1);
}

QTEST_GUILESS_MAIN(TestDaysLeft)
#include "test_daysleft.moc"
