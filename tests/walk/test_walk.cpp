// Long seeded random use of the main window through its real widgets, checked after every step
// against a small model of what the README promises. CANDLEWISE_WALK_SEED and CANDLEWISE_WALK_STEPS
// replay one run, CANDLEWISE_WALK_SECONDS walks new seeds for that long, and CANDLEWISE_WALK_SKIP
// turns kinds of step off: add, edit, delete, import, export, options, clock, clock-back (also after
// a restart), restart, damage (a settings value that cannot be read), export-find, browse (ticks
// while a file dialog is up) and controls (control characters in names).
#include "gui/mainwindow/fixture.h"
#include "walkmodel.h"

#include "gui/services/timercontrol.h"
#include "platform/settings.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QHeaderView>

#include <map>
#include <optional>
#include <random>
#include <set>

using namespace cwtest;
using namespace walkmodel;

namespace {

const std::array answerNames{"1 hour", "2 hours", "6 hours", "12 hours", "do not remind", "close box"};

// ---- The walk ----

class Walk : public QObject {
  public:
    Walk(quint32 seed, QSet<QString> skip)
        : rng_(seed), skip_(std::move(skip)), f(QDate(2026, 1, 1).addDays(rng_() % 1200)) {
        qApp->installEventFilter(this);
    }
    ~Walk() override { qApp->removeEventFilter(this); }

    // Empty when every step kept to the model; else what went wrong.
    QString run(int count) {
        desc_ = "start on " + now().toString(Qt::ISODate);
        f.start();
        f.form->show();
        started();
        for (finishStep(); steps.size() <= count && failure_.isEmpty(); finishStep())
            step();
        covered(now().date());
        return failure_;
    }
    QStringList steps;
    std::set<QDate> days;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        // The walk gives the ticks itself after moving the clock; the timer still says whether it runs.
        if (event->type() == QEvent::Timer) {
            const auto* timer = qobject_cast<QTimer*>(object);
            return timer && timer->interval() == 1000 && timer->timerType() == Qt::CoarseTimer;
        }
        auto* alert = qobject_cast<cw::Form3*>(object);
        auto* editor = qobject_cast<cw::Form2*>(object);
        if (event->type() == QEvent::Show && (alert || editor))
            QMetaObject::invokeMethod(
                object, [=, this] { alert ? answer(alert) : std::exchange(editorAnswer_, {})(editor); },
                Qt::QueuedConnection);
        return false;
    }

  private:
    int pick(size_t n) { return static_cast<int>(rng_() % n); }
    bool skipped(const QString& kind) const { return skip_.contains(kind); }
    QDateTime now() const { return f.sandbox.clock->current; }
    void fail(const QString& what) {
        if (failure_.isEmpty())
            failure_ = what;
    }

    // Mostly dates due soon, so that the alerts have something to say.
    Row newRow() {
        static const QStringList pieces{"Arvel", "Nim",      "Quenby",      "José",        "Zoë",  "Ångström",
                                        "Ñandú", "<b>x</b>", "O'Neil & Co", "Smith, John", "Renée"};
        static const QString joins = QStringLiteral(" \t\x1b\x07\x7f\u0085\u2028\u2029");
        QString name = pieces[pick(pieces.size())];
        if (pick(2))
            name += joins[skipped("controls") ? 0 : pick(joins.size())] + pieces[pick(pieces.size())];
        const QDate date = pick(2) ? now().date().addDays(aheadDays[pick(5)] + pick(2))
                                   : QDate(2000, 1, 1).addDays(pick(366));
        // Now and then a year: any for most days, a leap year for February 29.
        const int year = pick(3) ? 0 : 1904 + pick(120);
        const Row row = pick(8) ? Row{name, date.month(), date.day()} : Row{name, 2, 29};
        return {row.name, row.month, row.day, row.month == 2 && row.day == 29 ? year / 4 * 4 : year};
    }
    const Row* anyRow() { return rows_.empty() ? nullptr : &*std::next(rows_.begin(), pick(rows_.size())); }
    QStringList keys() const {
        QStringList keys;
        for (const Row& row : rows_)
            keys << row.key();
        return keys;
    }
    // A day's own due lines, and the catch-up lines of the days missed before it: a birthday whose
    // reminder fell on a missed day, its days left today or how long ago it was.
    Lines due() const {
        const QDate today = now().date();
        Lines lines;
        const auto plain = [](const Row& row, int left) {
            if (left < 0)
                return left == -1 ? row.name + "'s birthday was yesterday."
                                  : QStringLiteral("%1's birthday was %2 days ago.").arg(row.name).arg(-left);
            return left ? QStringLiteral("%1's birthday is in %2 days.").arg(row.name).arg(left)
                        : row.name + "'s birthday is today.";
        };
        // A row with a year tells, before the period, the years reached on the day.
        const auto line = [&](const Row& row, int left) {
            const QString age = row.age(today.addDays(left)), text = plain(row, left);
            return age.isEmpty() ? text
                                 : text.chopped(1) + (left < 0 ? " (turned " : " (turns ") + age + ").";
        };
        for (const Row& row : rows_) {
            std::optional<int> left;
            for (size_t i = 0; i < boxes_.size(); ++i)
                if (boxes_[i] && daysLeft(today, row.month, row.day) == aheadDays[i])
                    left = aheadDays[i];
            for (QDate day = missedFirst_; !left && missedOn_ == today && day < today; day = day.addDays(1))
                for (size_t i = 0; i < boxes_.size(); ++i)
                    if (boxes_[i] && daysLeft(day, row.month, row.day) == aheadDays[i])
                        left = static_cast<int>(today.daysTo(day.addDays(aheadDays[i])));
            if (left)
                lines.emplace_back(row.month * 32 + row.day, line(row, *left));
        }
        std::stable_sort(lines.begin(), lines.end(), [](auto& a, auto& b) { return a.first < b.first; });
        return lines;
    }
    // A day's pass: the days since the last pass, of this run or an earlier one, were missed (at most
    // 30); none on the first start ever or after the clock went back. A last pass more than a day
    // ahead was under a wrong clock and is forgotten.
    void pass(QDate today) {
        if (lastPass_.isValid() && lastPass_.daysTo(today) > 1)
            missedFirst_ = std::max(lastPass_.addDays(1), today.addDays(-30)), missedOn_ = today;
        else if (today.daysTo(lastPass_) > 1)
            missedOn_ = {}; // the wrong clock's day, and what was caught up on it, is forgotten
        lastPass_ = today.daysTo(lastPass_) > 1 ? today : std::max(lastPass_, today);
        alertPoint(true, true);
    }

    void answer(cw::Form3* alert) {
        const int choice = pick(6);
        const QString text = alert->Label1->text();
        alerts_.push_back(
            {text, choice, alert->Label1->textFormat() == Qt::PlainText || !Qt::mightBeRichText(text)});
        desc_ += QStringLiteral("; alert answered ") + answerNames[choice];
        if (choice == 5)
            return void(alert->close());
        std::array{alert->Option1, alert->Option2, alert->Option3, alert->Option4, alert->Option5}[choice]
            ->click();
        alert->PushButton2->click();
    }

    // A moment an alert comes (required) or may come; it holds exactly the lines due then.
    void alertPoint(bool required, bool pass = false) {
        const QDate today = now().date();
        const Lines lines = due();
        for (const auto& line : pass ? lines : Lines())
            owed_[today] << line.second;
        // A snooze chosen on a later day may run out after the clock was set back into a declined one.
        if (lines.empty() || ((!required || declined_.count(today)) && alerts_.empty()))
            return;
        if (alerts_.empty())
            return fail("no alert came, due is " + spelt(lines.front().second));
        const Alert alert = alerts_.front();
        alerts_.pop_front();
        if (!sameAlert(lines, alert.text) || !alert.plain)
            fail(QStringLiteral("the alert shows %1, due are %2 lines such as %3")
                     .arg(spelt(alert.text))
                     .arg(lines.size())
                     .arg(spelt(lines.front().second)));
        for (const QString& line : alert.text.split("\r\n"))
            shown_[today] << line;
        if (alert.answer == 5)
            return;
        snooze_ = alert.answer < 4 ? snoozes[alert.answer] : 0;
        cycleBegan_ = now();
        phaseKnown_ = true;
        if (alert.answer == 4)
            declined_.insert(today);
    }
    void started() {
        if (missedOn_ != lastPass_)
            missedOn_ = {}; // the settings keep the days caught up on the last pass's day alone
        passed_ = {now().date()};
        listDate_ = now().date();
        declined_.clear();
        snooze_ = 0;
        if (damaged_)
            reports_ += 1, boxes_[1] = false; // reported, and the box takes its default
        pass(now().date());
    }
    // A new date gets a pass, which begins a snooze's cycle again, unless this run passed it or it is
    // at most a day before the last pass (the clock set back).
    void ticked() {
        const QDateTime t = now();
        days.insert(t.date());
        const qint64 ahead = t.date().daysTo(lastPass_);
        if (std::exchange(listDate_, t.date()) != t.date() && !passed_.count(t.date()) &&
            (ahead < 0 || ahead > 1))
            return passed_.insert(t.date()), cycleBegan_ = t, phaseKnown_ = true, pass(t.date());
        if (snooze_ == 0 || (phaseKnown_ && cycleBegan_.secsTo(t) < snooze_))
            return;
        const bool ended = phaseKnown_ || !alerts_.empty();
        alertPoint(phaseKnown_);
        if (ended)
            cycleBegan_ = t, phaseKnown_ = true;
    }
    // After a change to the list: while a snooze runs, a birthday it makes due raises the alert.
    void changed(const Lines& before) {
        listDate_ = now().date();
        QStringList old;
        for (const auto& line : before)
            old << line.second;
        bool newlyDue = false;
        for (const auto& line : due())
            newlyDue = !old.removeOne(line.second) || newlyDue;
        if (snooze_ > 0)
            alertPoint(newlyDue);
    }
    void moveClock(qint64 seconds) {
        const QDate before = now().date();
        f.sandbox.clock->current = now().addSecs(seconds);
        desc_ += QStringLiteral(" %1 min to %2").arg(seconds / 60).arg(now().toString(Qt::ISODate));
        if (seconds < 0 && snooze_ > 0)
            phaseKnown_ = false; // the snooze keeps to the clock; set back, when it ends is not told
        if (now().date() != before)
            covered(before);
    }
    void tick() {
        if (!f.form->Timer1->isTicking())
            fail("the reminder timer is stopped");
        f.form->Timer1_Timer();
        ticked();
    }
    // Every line due at a day's pass was shown that day.
    void covered(QDate day) {
        for (const QString& line : owed_[day])
            if (!shown_[day].contains(line))
                fail(day.toString(Qt::ISODate) + " went by without showing " + spelt(line));
    }

    void step() {
        static const QStringList kinds{"add",     "edit",  "delete",     "import",  "export",
                                       "options", "clock", "clock-back", "restart", "damage"};
        static constexpr std::array weights{10, 5, 5, 7, 6, 5, 22, 2, 2, 1};
        int total = 0, k = 0;
        for (int i = 0; i < kinds.size(); ++i)
            total += skipped(kinds[i]) ? 0 : weights[i];
        for (int draw = pick(total); skipped(kinds[k]) || (draw -= weights[k]) >= 0;)
            ++k;
        desc_ = kinds[k];
        if (k == 0 && rows_.size() >= 40)
            desc_ = "delete", k = 2;
        if (k == 0 || k == 1)
            return edit(k == 1 ? anyRow() : nullptr, k == 1);
        if (k == 2)
            return remove();
        if (k == 3)
            return pick(2) ? importText() : importFormatted(pick(2));
        if (k == 4)
            return exportList();
        if (k == 5)
            return option(pick(5));
        if (k == 6 || k == 7)
            return moveClock(
                       k == 7 ? -60 * (1 + pick(1440))
                              : std::array<qint64, 4>{60, 3600, 86400, 60 * (1 + pick(3 * 1440))}[pick(4)]),
                   tick();
        if (k == 9)
            cw::writeSetting(cw::SettingKey::Check2, "yes"), damaged_ = true;
        f.restart();
        f.form->show();
        started();
        if (k == 8 && !skipped("clock-back") && pick(2)) // into the evening before, whose reminders it gave
            moveClock(-60 * (now().time().hour() * 60 + now().time().minute() + 1 + pick(120))), tick();
    }

    // Makes the row the list's current one, as a click on it does.
    bool select(const Row& row) {
        const cw::ListView* list = f.form->ListView1;
        for (int r = 0; r < list->count(); ++r)
            if (Row{list->subItem(r, cw::personColumn), list->subItem(r, cw::monthNoColumn).toInt(),
                    list->subItem(r, cw::dayColumn).toInt(),
                    list->rows().rows->extras(size_t(r)).year} == row)
                return f.form->ListView1->selectRow(r), true;
        fail("the list has no row " + spelt(row.name));
        return false;
    }
    // Adds a row through the editor, or changes the given one.
    void edit(const Row* old, bool changing) {
        if (changing && (!old || !select(*old)))
            return;
        const Row row = newRow();
        const bool cancel = pick(5) == 0;
        desc_ +=
            (old ? " " + spelt(old->name) + " to " : " ") + spelt(row.key()) + (cancel ? ", cancelled" : "");
        const Lines before = due();
        editorAnswer_ = [=, this](cw::Form2* editor) {
            if (editor->Text2->text() != (old && old->year ? QString::number(old->year) : QString()))
                fail("the editor shows the year " + spelt(editor->Text2->text()));
            editor->Text2->clear();
            QTest::keyClicks(editor->Text2, row.year ? QString::number(row.year) : QString());
            fillEditor(editor, row.name, row.month, row.day,
                       cancel ? &cw::Form2::PushButton1 : &cw::Form2::PushButton6);
        };
        (old ? f.form->PushButton2 : f.form->PushButton6)->click();
        if (cancel)
            return;
        if (old)
            rows_.erase(rows_.find(*old));
        rows_.insert({blanked(row.name), row.month, row.day, row.year});
        changed(before);
    }
    void remove() {
        const Row* old = anyRow();
        if (!old || !select(*old))
            return;
        const Row row = *old;
        const bool yes = pick(4) != 0;
        desc_ += " " + spelt(row.name) + (yes ? ", Yes" : ", No");
        const Lines before = due();
        f.sandbox.messages->answers = {yes ? cw::MessageResult::Yes : cw::MessageResult::No};
        f.form->PushButton1->click();
        if (yes)
            rows_.erase(rows_.find(row)), changed(before);
    }

    // Now and then the user browses a while in the file dialog; the reminder timer ticks meanwhile.
    void browsing(Lines& before) {
        const bool browse = !skipped("browse") && pick(3) == 0;
        f.sandbox.fileDialogs->whileOpen = [this, browse, &before] {
            if (browse) {
                desc_ += ", browsing";
                moveClock(pick(2) ? 3600 : now().secsTo(QDateTime(now().date().addDays(1), QTime(0, 1))));
                if (f.form->Timer1->isTicking())
                    f.form->Timer1_Timer();
                ticked();
            }
            before = due();
        };
    }
    void importFile(const QString& content, const std::vector<Row>& rows, bool knownOnce, int reports) {
        desc_ += ' ' + spelt(QString(content).replace("\r\n", " | "));
        const QString path = f.sandbox.path("import");
        writeBytes(path, content.toUtf8());
        Lines before;
        f.sandbox.fileDialogs->answers = {path};
        browsing(before);
        f.form->PushButton8->click();
        f.sandbox.fileDialogs->whileOpen = {};
        for (const Row& row : rows)
            if (!knownOnce ||
                std::none_of(rows_.begin(), rows_.end(), [&](const Row& r) { return r.key() == row.key(); }))
                rows_.insert(row);
        reports_ += reports;
        changed(before);
    }
    // A text file, now and then with a bad line: the lines before it are kept.
    void importText() {
        QString text;
        std::vector<Row> rows;
        const int count = 1 + pick(4), bad = pick(3) ? -1 : pick(count);
        for (int i = 0; i < count; ++i) {
            const Row row = newRow();
            const QString pad = pick(3) ? "" : "  ";
            text += i == bad ? std::array{"Nobody,Smarch 5", "no comma", "Ann,February 30"}[pick(3)]
                             : pad + row.name + pad + row.line().mid(row.name.size());
            text += "\r\n";
            if (bad < 0 || i < bad)
                rows.push_back({blanked(row.name), row.month, row.day, row.year});
        }
        importFile(text, rows, false, bad < 0 ? 0 : 1);
    }
    // An address book or a calendar; a contact or event already in the list is not added again. No year.
    void importFormatted(bool calendar) {
        QString text = calendar ? "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Walk//EN\r\n" : "";
        std::vector<Row> rows;
        for (int i = 0, count = 1 + pick(3); i < count; ++i) {
            const Row* old = pick(4) ? nullptr : anyRow();
            const Row row = old ? *old : newRow();
            text +=
                QString(
                    calendar
                        ? "BEGIN:VEVENT\r\nUID:walk-%1\r\nDTSTAMP:20260101T000000Z\r\nDTSTART;VALUE=DATE:%2"
                          "\r\nRRULE:FREQ=YEARLY\r\nSUMMARY:%3\r\nEND:VEVENT\r\n"
                        : "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:walk-%1\r\nFN:%3\r\nBDAY:%2\r\nEND:VCARD\r\n")
                    .arg(QString::number(i),
                         QDate(1972, row.month, row.day).toString(calendar ? "yyyyMMdd" : "--MMdd"),
                         QString(row.name).replace(',', "\\,") + (calendar && pick(2) ? "'s birthday" : ""));
            rows.push_back({blanked(row.name), row.month, row.day});
        }
        importFile(calendar ? text + "END:VCALENDAR\r\n" : text, rows, true, 0);
    }

    // The save dialog's answer: a calendar is chosen by its filter with a dotted name, which gets
    // ".ics" added, or by the name's ending under "All Files".
    QString answerSave(bool calendar) {
        const bool byFilter = pick(2);
        const QString path = f.sandbox.path(calendar ? "john.smith.ics" : "output.txt");
        QFile::remove(path);
        f.sandbox.fileDialogs->answers = {calendar && byFilter ? f.sandbox.path("john.smith") : path};
        f.sandbox.fileDialogs->chosenFilters = {
            calendar ? (byFilter ? "iCalendar Files (*.ics)" : "All Files (*)") : "Text Files (*.txt)"};
        return path;
    }
    void exportList() {
        const bool calendar = pick(2), find = !skipped("export-find") && pick(2);
        if (pick(2)) {
            QHeaderView* header = f.form->ListView1->header();
            const int column = pick(4);
            desc_ += QStringLiteral(", sorted by column %1").arg(column);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              {header->sectionViewportPosition(column) + 5, header->height() / 2});
        }
        const QString text = QString("aeinorsu").mid(pick(8), 1);
        if (find) {
            desc_ += ", find \"" + text + '"';
            for (QAction* action : f.form->ListView1->actions())
                if (action->text() == "Find")
                    action->trigger();
            QTest::keyClicks(f.form->findField, text);
        }
        desc_ += calendar ? ", calendar" : ", text";
        const QString path = answerSave(calendar);
        Lines unused;
        browsing(unused);
        f.form->PushButton9->click();
        f.sandbox.fileDialogs->whileOpen = {};
        if (find)
            f.form->findField->selectAll(), QTest::keyClick(f.form->findField, Qt::Key_Backspace);
        if (!QFile::exists(path))
            return rows_.empty() ? void() : fail("the export wrote no file");
        QStringList want, written = calendar ? readCalendar(readBytes(path))
                                             : QString::fromUtf8(readBytes(path)).split("\r\n");
        for (const Row& row : rows_)
            want << (calendar ? row.key() : row.line());
        if (!calendar && !written.takeLast().isEmpty())
            fail("the text export does not end with CR LF");
        if (calendar)
            want.removeDuplicates(); // the same birthday twice is one event, under one identifier
        if (const QString wrong = differs(want, written); !wrong.isEmpty())
            fail("the export " + wrong);
    }
    QStringList readCalendar(QByteArray bytes) {
        QStringList rows;
        Row row{};
        for (const QByteArray& line : bytes.replace("\r\n ", "").replace("\r\n\t", "").split('\n')) {
            const QString text = QString::fromUtf8(line).trimmed(), value = text.mid(text.indexOf(':') + 1);
            if (text.startsWith("DTSTART"))
                row.month = value.mid(4, 2).toInt(), row.day = value.mid(6, 2).toInt();
            if (text.startsWith("SUMMARY"))
                row.name = QString(value)
                               .replace("\\,", ",")
                               .replace("\\;", ";")
                               .replace("\\\\", "\\")
                               .chopped(value.endsWith("'s birthday") ? 11 : 0);
            if (text == "END:VEVENT" && row.month >= 1 && row.month <= 12)
                rows << std::exchange(row, {}).key();
        }
        return rows;
    }

    void option(int i) {
        desc_ += QStringLiteral(" Check%1").arg(std::array{1, 2, 4, 5, 6}[i]);
        std::array{f.form->Check1, f.form->Check2, f.form->Check4, f.form->Check5, f.form->Check6}[i]
            ->click();
        boxes_[i] = !boxes_[i];
        damaged_ = damaged_ && i != 1;
    }

    // The list shows the rows with the days left of today, or of the day of the last refill: set back
    // into a day whose pass ran, the clock brings no new pass.
    void checkList() {
        QStringList today, then, shown;
        const auto shows = [](const Row& row, QDate day) {
            const int left = daysLeft(day, row.month, row.day);
            return row.key() + ' ' + (left ? QString::number(left) : "Today") + ' ' +
                   row.age(day.addDays(left));
        };
        for (const Row& row : rows_)
            today << shows(row, now().date()), then << shows(row, listDate_);
        const QAbstractItemModel* list = f.form->ListView1->model();
        for (int r = 0; r < list->rowCount(); ++r) {
            QStringList cells;
            for (const int column :
                 {cw::personColumn, cw::monthColumn, cw::dayColumn, cw::daysLeftColumn, cw::ageColumn})
                cells << list->index(r, f.form->ListView1->section(column)).data().toString();
            shown << cells[0] + ',' + cells[1] + ' ' + cells[2] + ' ' + cells[3] + ' ' + cells[4];
        }
        if (const QString wrong = differs(today, shown); !wrong.isEmpty() && !differs(then, shown).isEmpty())
            fail("the list " + wrong);
    }
    // After every step: the list, the store and the reports as the model has them, no alert left over.
    void finishStep() {
        steps << QString::number(steps.size()) + ' ' + desc_;
        if (!alerts_.empty())
            fail((declined_.count(now().date()) ? "after \"Do not remind me again\" an alert came: "
                                                : "an alert came that was not due: ") +
                 spelt(alerts_.front().text));
        alerts_.clear();
        checkList();
        QStringList stored;
        for (const Birthday& b : f.storedRows())
            stored << Row{b.person, b.month, b.day}.key();
        if (const QString wrong = differs(keys(), stored); !wrong.isEmpty())
            fail("the store " + wrong);
        if (f.errorReports() != reports_)
            fail(QStringLiteral("%1 error reports, %2 expected; the last: %3")
                     .arg(f.errorReports())
                     .arg(reports_)
                     .arg(f.sandbox.messages->lastReport()));
        if (f.form->Label1->textFormat() != Qt::PlainText && Qt::mightBeRichText(f.form->Label1->text()))
            fail("the label takes a name for markup");
    }

    std::mt19937 rng_;
    QSet<QString> skip_;
    MainWindowFixture f;
    std::deque<Alert> alerts_; // as they came up, with their answers
    std::function<void(cw::Form2*)> editorAnswer_;
    QString desc_, failure_;
    // What the model keeps.
    std::multiset<Row> rows_;
    std::array<bool, 5> boxes_{true, false, false, false, false};
    QDate listDate_;                              // of the last refill
    int snooze_ = 0;                              // seconds; 0: none runs
    QDateTime cycleBegan_;                        // when the snooze's current cycle began
    bool phaseKnown_ = true;                      // false after the clock was set back under a snooze
    std::set<QDate> passed_, declined_;           // days of this run whose pass ran, days declined on
    QDate lastPass_, missedFirst_, missedOn_;     // kept across restarts, as the settings keep it
    std::map<QDate, QSet<QString>> owed_, shown_; // lines due at a day's pass, lines its alerts showed
    int reports_ = 0;
    bool damaged_ = false; // Check2 in the settings file cannot be read
};

} // namespace

class TestWalk : public QObject {
    Q_OBJECT
  private slots:
    // By default four fixed seeds, together a few simulated years.
    void walk() {
#ifdef CANDLEWISE_WALK_SANITIZED
        const int defaultSteps = 1000;
#else
        const int defaultSteps = 2500;
#endif
        // The offscreen platform says at every alert that it cannot raise it.
        static const QtMessageHandler logged =
            qInstallMessageHandler([](QtMsgType type, const QMessageLogContext& at, const QString& text) {
                if (!text.contains("does not support raise()"))
                    logged(type, at, text);
            });
        const QStringList skip = qEnvironmentVariable("CANDLEWISE_WALK_SKIP").split(',');
        const int asked = qEnvironmentVariableIntValue("CANDLEWISE_WALK_STEPS");
        const qint64 seconds = qEnvironmentVariableIntValue("CANDLEWISE_WALK_SECONDS");
        const bool oneSeed = qEnvironmentVariableIsSet("CANDLEWISE_WALK_SEED");
        quint32 seed = oneSeed ? qEnvironmentVariable("CANDLEWISE_WALK_SEED").toUInt() : 1;
        QElapsedTimer elapsed;
        elapsed.start();
        size_t days = 0;
        int run = 0;
        for (; seconds > 0 ? elapsed.elapsed() < seconds * 1000 : run < (oneSeed ? 1 : 4); ++run, ++seed) {
            Walk walk(seed, QSet<QString>(skip.begin(), skip.end()));
            const QString failure = walk.run(asked > 0 ? asked : defaultSteps);
            days += walk.days.size();
            const QString replay = QStringLiteral("CANDLEWISE_WALK_SEED=%1 CANDLEWISE_WALK_STEPS=%2")
                                       .arg(seed)
                                       .arg(walk.steps.size() - 1);
            if (!failure.isEmpty()) {
                qInfo().noquote() << walk.steps.join('\n');
                QFAIL(qPrintable(failure + " (replay: " + replay + ')'));
            }
        }
        qInfo("%d seeds, %zu simulated days, %lld ms", run, days, static_cast<long long>(elapsed.elapsed()));
    }
};

QTEST_MAIN(TestWalk)
#include "test_walk.moc"
