// Reminders at a time of day over simulated years in three zones: the clock ticks a minute on, jumps
// to just before a reminder's time, sleeps for hours or days, is set back, moves to another zone; the
// program restarts and the times change. A model of its own says at every tick which reminder is due
// (its time reached on the wall clock's date, and neither that date's nor the next one's given), and
// each must come at the first ticks it is due, and at no other: exactly once, within a second of its
// time or of the wake.
#include "gui/mainwindow/fixture.h"

#include "platform/settings.h"

#include <QTimeZone>

#include <random>
#include <set>

using namespace cwtest;

namespace {

class TimedWalk : public QObject {
  public:
    TimedWalk(quint32 seed, const QByteArray& zone) : rng_(seed), zone_(zone) {
        f.sandbox.clock->current = QDateTime(QDate(2026, 1, 1).addDays(pick(365)), QTime(12, 0), zone_);
        QList<Birthday> every;
        for (QDate day(2000, 1, 1); day.year() == 2000; day = day.addDays(1)) // one each day of the year
            every << Birthday{day.toString("MMdd"), day.month(), day.day()};
        f.store(every);
        qApp->installEventFilter(this);
    }
    ~TimedWalk() override { qApp->removeEventFilter(this); }

    // Each step ends with two ticks at its time, as the timer gives them a second apart.
    QString run(int count) {
        chooseTimes();
        f.start();
        for (int step = 0; step < count && failure_.isEmpty(); ++step) {
            f.form->Timer1_Timer();
            f.form->Timer1_Timer();
            expect();
            days_.insert(now().date());
            const int kind = pick(100);
            if (kind < 2)
                chooseTimes(), f.restart();
            else if (kind < 4)
                f.restart();
            else
                moveClock(kind);
        }
        return failure_;
    }
    size_t days() const { return days_.size(); }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (auto* alert = qobject_cast<cw::Form3*>(object); alert && event->type() == QEvent::Show)
            QMetaObject::invokeMethod(
                alert,
                [this, alert] {
                    seen_ << alert->Label1->text();
                    alert->Option5->click(); // no snooze: every alert here is a reminder's own
                    alert->PushButton2->click();
                },
                Qt::QueuedConnection);
        return false;
    }

  private:
    int pick(int n) { return static_cast<int>(rng_() % static_cast<quint32>(n)); }
    QDateTime now() const { return f.sandbox.clock->current; }
    // Often in the small hours, where daylight saving skips or repeats an hour.
    QTime anyTime() { return pick(2) ? QTime(2, pick(60)) : QTime(pick(24), pick(60)); }
    void chooseTimes() {
        dayAt_ = anyTime();
        eveningAt_ = pick(3) ? std::optional<QTime>(anyTime()) : std::nullopt;
        cw::writeSetting(cw::SettingKey::RemindAt, dayAt_.toString("HH:mm"));
        cw::writeSetting(cw::SettingKey::RemindEveningBefore,
                         eveningAt_ ? eveningAt_->toString("HH:mm") : "");
    }
    void moveClock(int kind) {
        QDateTime& clock = f.sandbox.clock->current;
        if (kind < 50) {
            clock = clock.addSecs(60);
        } else if (kind < 70) { // a few minutes before the next time, possibly one the zone skips today
            const QTime at = pick(2) || !eveningAt_ ? dayAt_ : *eveningAt_;
            const QDate date = now().time() < at ? now().date() : now().date().addDays(1);
            const QDateTime before = QDateTime(date, at, zone_).addSecs(-60 * (1 + pick(5)));
            clock = before > clock ? before : clock.addSecs(60);
        } else if (kind < 88) {
            clock = clock.addSecs(60 * (1 + pick(600))); // an hour or ten, awake or asleep
        } else if (kind < 92) {
            clock = clock.addDays(1 + pick(3)); // a sleep over days
        } else if (kind < 94) { // to the next change of daylight saving, ticking across it from here
            const QTimeZone::OffsetData next = clock.timeZone().nextTransition(clock);
            if (next.atUtc.isValid())
                clock = next.atUtc.addSecs(-60 * (1 + pick(90))).toTimeZone(clock.timeZone());
        } else if (kind < 98) {
            clock = clock.addSecs(-60 * (1 + pick(180))); // set back
        } else {
            static const std::array<QByteArray, 3> zones{"Europe/Berlin", "America/New_York",
                                                         "Australia/Sydney"};
            clock = clock.toTimeZone(QTimeZone(zones[size_t(pick(3))])); // travel
        }
    }
    bool given(const std::set<QDate>& days, QDate date) const {
        return days.count(date) || days.count(date.addDays(1));
    }
    // What the model says is due now: the day's reminder, then the evening's.
    void expect() {
        const QDateTime t = now();
        const QDate date = t.date();
        QStringList due;
        if (t.time() >= dayAt_ && !given(dayGiven_, date))
            due << date.toString("MMdd") + "'s birthday is today.", dayGiven_.insert(date);
        if (eveningAt_ && t.time() >= *eveningAt_ && !given(eveningGiven_, date))
            due << date.addDays(1).toString("MMdd") + "'s birthday is tomorrow.", eveningGiven_.insert(date);
        // The day's alert also holds the lines of days missed while asleep.
        bool kept = seen_.size() == due.size();
        for (qsizetype i = 0; kept && i < due.size(); ++i)
            kept = seen_[i].contains(due[i] + "\r\n");
        if (!kept && failure_.isEmpty())
            failure_ = QStringLiteral("at %1 (%2) came [%3], due was [%4]")
                           .arg(t.toString(Qt::ISODateWithMs), t.timeZoneAbbreviation(), seen_.join(" | "),
                                due.join(" | "));
        seen_.clear();
    }

    std::mt19937 rng_;
    QTimeZone zone_;
    MainWindowFixture f;
    QTime dayAt_;
    std::optional<QTime> eveningAt_;
    std::set<QDate> dayGiven_, eveningGiven_, days_;
    QStringList seen_;
    QString failure_;
};

} // namespace

class TestTimedWalk : public QObject {
    Q_OBJECT
  private slots:
    void walk_data() {
        QTest::addColumn<QByteArray>("zone");
        for (const char* zone : {"Europe/Berlin", "America/New_York", "Australia/Sydney"})
            QTest::newRow(zone) << QByteArray(zone);
    }
    void walk() {
        QFETCH(QByteArray, zone);
        const int steps = qEnvironmentVariableIntValue("CANDLEWISE_WALK_STEPS");
        const quint32 seed =
            qEnvironmentVariable("CANDLEWISE_WALK_SEED", QString::number(qHash(zone))).toUInt();
        TimedWalk walk(seed, zone);
        const QString failure = walk.run(steps > 0 ? steps : 3000);
        qInfo("%s: %zu simulated days", zone.constData(), walk.days());
        QVERIFY2(failure.isEmpty(), qPrintable(failure + QStringLiteral(" (seed %1)").arg(seed)));
    }
};

QTEST_MAIN(TestTimedWalk)
#include "test_timedwalk.moc"
