#include "formats/icalendarformat.h"

#include "core/age.h"
#include "core/apperror.h"
#include "core/clock.h"
#include "core/config.h"
#include "core/daysleft.h"
#include "formats/textfile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QHash>
#include <QIODevice>
#include <QSet>

#include <libical/ical.h>

#include <memory>

namespace cw {

namespace {
struct ComponentFree {
    void operator()(icalcomponent* component) const { icalcomponent_free(component); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// A longer content line is no summary nor date: its event reads as having no birthday.
constexpr qsizetype lineLimit = 1 << 20;

// Where a person's year of birth is named beside the event's first date (Nextcloud's word for it).
constexpr char yearProperty[] = "X-NEXTCLOUD-BC-YEAR";

const char* kindSuffix(DateKind kind) {
    return kind == DateKind::Anniversary ? "s anniversary" : "s birthday";
}

// How the UIDs of this program's events end.
QByteArray uidDomain() {
    return "@birthdays." + config::makerName.toLower().toUtf8() + ".example";
}

// The lines of a calendar unfolded: a line that begins with a blank or a tab goes on the one before.
class UnfoldedLines {
  public:
    explicit UnfoldedLines(QIODevice& device) : lines_(device, lineLimit) {}

    // cut: the line was longer than the limit; what is handed out is only its start.
    bool next(QByteArray& line, bool& cut) {
        if (!havePhysical_ && !lines_.readLine(physical_))
            return false;
        line = physical_;
        cut = lines_.lineCut();
        while ((havePhysical_ = lines_.readLine(physical_)) &&
               (physical_.startsWith(' ') || physical_.startsWith('\t'))) {
            cut = cut || lines_.lineCut() || line.size() + physical_.size() - 1 > lineLimit;
            if (!cut)
                line += QByteArrayView(physical_).sliced(1);
        }
        return true;
    }

  private:
    ByteLineReader lines_;
    QByteArray physical_;
    bool havePhysical_ = false;
};

// The name of a content line in upper case: what comes before its parameters and value.
QByteArray nameOf(QByteArrayView line) {
    const auto end = std::find_if(line.begin(), line.end(), [](char c) { return c == ';' || c == ':'; });
    return line.first(end - line.begin()).trimmed().toByteArray().toUpper();
}

// Whether a BEGIN or END line names the component.
bool names(QByteArrayView line, const char* component) {
    const qsizetype colon = line.indexOf(':');
    return colon >= 0 && line.sliced(colon + 1).trimmed().compare(component, Qt::CaseInsensitive) == 0;
}

// What libical is given of an event's line: UTF-8, read as Windows-1252 when it is not valid UTF-8
// (as the text and vCard readers do), and up to a NUL, as libical reads C strings.
QByteArray eventLine(const QByteArray& line) {
    const qsizetype nul = line.indexOf('\0');
    return decodeText(nul < 0 ? line : line.first(nul)).toUtf8() + "\r\n";
}

// The name a summary gives, without a trailing "'s birthday" or "'s anniversary", which tells the kind.
QString nameOfSummary(QString name, DateKind& kind) {
    name = cleanPersonName(name);
    // Some calendars write a typographic apostrophe.
    for (const QChar apostrophe : {QChar(u'\''), QChar(u'\u2019')})
        for (const DateKind each : {DateKind::Birthday, DateKind::Anniversary}) {
            const QString suffix = apostrophe + QString::fromLatin1(kindSuffix(each));
            if (name.endsWith(suffix, Qt::CaseInsensitive)) {
                kind = each;
                return name.chopped(suffix.size()).trimmed();
            }
        }
    return name;
}

// The years calendars put in the first date of a birthday whose year they do not know.
bool isPlaceholderYear(int year) {
    return year == 1604 || year == 1900 || year == 1970 || year == 1972;
}

// The year of a yearly event's first date, when that is a year of birth: Nextcloud names the real one
// beside a placeholder start, and this program's own calendars name it whenever the row has one (their
// other events start in 2000 whatever the year).
int birthYearOf(icalcomponent* event, const icaltimetype& start) {
    const QDate today = currentClock().today();
    const auto fits = [&](int year) {
        return isKnownYear(year, today) && QDate(year, start.month, start.day).isValid();
    };
    for (icalproperty* property = icalcomponent_get_first_property(event, ICAL_X_PROPERTY); property;
         property = icalcomponent_get_next_property(event, ICAL_X_PROPERTY)) {
        const char* name = icalproperty_get_x_name(property);
        const char* value = icalproperty_get_x(property);
        if (name && value && qstricmp(name, yearProperty) == 0) {
            const int year = QByteArray(value).trimmed().toInt();
            return fits(year) ? year : 0;
        }
    }
    const char* uid = icalcomponent_get_uid(event);
    if (uid && QByteArray(uid).endsWith(uidDomain()))
        return 0;
    return !isPlaceholderYear(start.year) && fits(start.year) ? start.year : 0;
}

ReadEntry birthdayOf(icalcomponent* event) {
    icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (!rule || icalproperty_get_rrule(rule).freq != ICAL_YEARLY_RECURRENCE)
        return std::nullopt;
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(start) || !QDate(2000, start.month, start.day).isValid())
        return std::nullopt;
    const char* summary = icalcomponent_get_summary(event);
    DateKind kind = DateKind::Birthday;
    const QString name = nameOfSummary(QString::fromUtf8(summary ? summary : ""), kind);
    if (name.isEmpty())
        return std::nullopt;
    return BirthdayRecord{name, start.month, start.day, birthYearOf(event, start), kind, {}};
}

ReadEntry birthdayOf(const QByteArray& event) {
    const Component component(icalparser_parse_string(event.constData()));
    if (!component || icalcomponent_isa(component.get()) != ICAL_VEVENT_COMPONENT)
        return std::nullopt;
    return birthdayOf(component.get());
}
} // namespace

void readICalendar(QIODevice& device, const std::function<bool()>& keepGoing,
                   const std::function<void(const ReadEntry&)>& take) {
    UnfoldedLines lines(device);
    QByteArray line;
    bool cut = false;
    int depth = 0;           // components open
    bool inCalendar = false; // the outermost component open is a calendar
    int calendars = 0;       // calendars read to their end
    // Each event goes to libical alone, with only the lines a birthday is read from: a large calendar
    // is never held whole, nor its attachments and alarms.
    bool inEvent = false;
    bool eventCut = false;
    QByteArray event;
    for (qint64 count = 1; lines.next(line, cut); ++count) {
        if (count % 4096 == 0 && !keepGoing())
            return;
        const QByteArray name = nameOf(line);
        if (name == "BEGIN") {
            if (depth == 0) {
                inCalendar = names(line, "VCALENDAR");
            } else if (depth == 1 && inCalendar && names(line, "VEVENT")) {
                inEvent = true;
                eventCut = false;
                event = "BEGIN:VEVENT\r\n";
            }
            ++depth;
        } else if (name == "END") {
            depth = std::max(depth - 1, 0);
            if (inEvent && depth == 1) {
                inEvent = false;
                take(eventCut ? std::nullopt : birthdayOf(event + "END:VEVENT\r\n"));
            } else if (inCalendar && depth == 0) {
                inCalendar = false;
                ++calendars;
            }
        } else if (inEvent && depth == 2 &&
                   (name == "DTSTART" || name == "RRULE" || name == "SUMMARY" || name == "UID" ||
                    name == yearProperty)) {
            eventCut = eventCut || cut;
            if (!eventCut)
                event += eventLine(line);
        }
    }
    // A file cut short leaves a calendar open.
    if ((calendars == 0 || depth > 0) && keepGoing())
        throw AppError(QStringLiteral("The file holds no calendar."));
}

std::vector<ReadEntry> readICalendar(const QByteArray& bytes) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    std::vector<ReadEntry> entries;
    readICalendar(
        buffer, [] { return true; }, [&entries](const ReadEntry& entry) { entries.push_back(entry); });
    return entries;
}

namespace {
// The day the program announces a birthday is the date it builds from the year, month and day. Where
// that day moves with leap years (February 29 is March 1 in common years), a day of the year counted
// from the start or from the end of the year keeps it, from a leap-year start.
struct Recurrence {
    QDate start;
    int yearDay = 0; // 0: the same month and day every year
};

Recurrence recurrenceOf(int month, int day) {
    const QDate leap = occurrenceIn(2000, month, day);
    const QDate common = occurrenceIn(2001, month, day);
    if (leap.month() == common.month() && leap.day() == common.day())
        return {leap, 0};
    if (leap.dayOfYear() == common.dayOfYear())
        return {leap, leap.dayOfYear()};
    return {leap, leap.dayOfYear() - leap.daysInYear() - 1};
}

icaltimetype dateOf(const QDate& date) {
    icaltimetype time = icaltime_null_date();
    time.year = date.year();
    time.month = date.month();
    time.day = date.day();
    return time;
}

// The same for the same name, day and kind, whatever the year: a calendar that takes the file again
// replaces its events.
QByteArray uidOf(const BirthdayRecord& birthday) {
    QByteArray key = birthday.name.toUtf8() + '\n' + QByteArray::number(birthday.month) + '-' +
                     QByteArray::number(birthday.day);
    if (birthday.kind == DateKind::Anniversary)
        key += "\nanniversary";
    return QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex() + uidDomain();
}

QString summaryOf(const BirthdayRecord& birthday) {
    return birthday.name + QLatin1Char('\'') + QLatin1String(kindSuffix(birthday.kind));
}

QString alertLine(const BirthdayRecord& birthday, int days) {
    if (days == 0)
        return summaryOf(birthday) + QStringLiteral(" is today.");
    return summaryOf(birthday) + QStringLiteral(" is in %1 days.").arg(days);
}

QByteArray textOf(char* serialised) {
    QByteArray bytes(serialised);
    icalmemory_free_buffer(serialised);
    return bytes;
}

// A component's lines as libical writes them, cut before its END line: what goes before and after
// the lines of the properties added for each birthday. The component is freed.
std::pair<QByteArray, QByteArray> frameOf(icalcomponent* component) {
    const Component owned(component);
    const QByteArray whole = textOf(icalcomponent_as_ical_string_r(component));
    const qsizetype end = whole.lastIndexOf("END:");
    return {whole.first(end), whole.sliced(end)};
}

icalrecurrencetype yearly(int yearDay) {
    icalrecurrencetype rule;
    icalrecurrencetype_clear(&rule);
    rule.freq = ICAL_YEARLY_RECURRENCE;
    if (yearDay != 0) {
        rule.by_year_day[0] = static_cast<short>(yearDay);
        rule.by_year_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
    }
    return rule;
}

struct PropertyFree {
    void operator()(icalproperty* property) const { icalproperty_free(property); }
};
using Property = std::unique_ptr<icalproperty, PropertyFree>;

// The events of the calendar. libical writes every line: the lines that are the same for every
// birthday once, and for each birthday only the properties that differ, each through a property
// that is reused. That keeps a large export fast.
class EventWriter {
  public:
    EventWriter(const std::vector<int>& reminderDays, const QDateTime& stamp) {
        icalcomponent* event = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        icalcomponent_add_property(event, icalproperty_new_dtstamp(icaltime_from_timet_with_zone(
                                              stamp.toSecsSinceEpoch(), 0, icaltimezone_get_utc_timezone())));
        icalcomponent_add_property(event, icalproperty_new_categories("BIRTHDAY"));
        icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
        event_ = frameOf(event);
        for (const int days : reminderDays) {
            icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
            icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
            // 09:00 on the day, counted from the start of the all-day event.
            icaltriggertype trigger{};
            trigger.time = icaltime_null_time();
            trigger.duration = icaldurationtype_from_int(-days * 86400 + 9 * 3600);
            icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
            alarms_.push_back({days, frameOf(alarm)});
        }
    }

    QByteArray text(const BirthdayRecord& birthday, const QByteArray& uid) {
        QByteArray text = event_.first;
        icalproperty_set_uid(uid_.get(), uid.constData());
        text += lineOf(uid_);
        text += datesOf(birthday.month, birthday.day, birthday.year);
        icalproperty_set_summary(summary_.get(), summaryOf(birthday).toUtf8().constData());
        text += lineOf(summary_);
        for (const Alarm& alarm : alarms_) {
            text += alarm.frame.first;
            icalproperty_set_description(description_.get(),
                                         alertLine(birthday, alarm.days).toUtf8().constData());
            text += lineOf(description_);
            text += alarm.frame.second;
        }
        return text + event_.second;
    }

  private:
    struct Alarm {
        int days;
        std::pair<QByteArray, QByteArray> frame;
    };

    static QByteArray lineOf(const Property& property) {
        return textOf(icalproperty_as_ical_string_r(property.get()));
    }

    // DTSTART, DTEND and RRULE depend on the month, the day and the year alone. With a year the first
    // event falls in it, so that calendars can count the years; the year is named as well, since a
    // start in 2000 is also what the events without one have.
    const QByteArray& datesOf(int month, int day, int year) {
        if (!isKnownYear(year, today_) || !QDate(year, month, day).isValid())
            year = 0;
        const qint64 key = (qint64(year) * 65536 + quint16(month)) * 65536 + quint16(day);
        auto found = dates_.find(key);
        if (found != dates_.end())
            return *found;
        Recurrence recurrence = recurrenceOf(month, day);
        if (year != 0)
            recurrence.start = QDate(year, month, day);
        const Property start(icalproperty_new_dtstart(dateOf(recurrence.start)));
        const Property end(icalproperty_new_dtend(dateOf(recurrence.start.addDays(1))));
        const Property rule(icalproperty_new_rrule(yearly(recurrence.yearDay)));
        QByteArray lines = lineOf(start) + lineOf(end) + lineOf(rule);
        if (year != 0) {
            const Property named(icalproperty_new_x(QByteArray::number(year).constData()));
            icalproperty_set_x_name(named.get(), yearProperty);
            lines += lineOf(named);
        }
        return *dates_.insert(key, lines);
    }

    std::pair<QByteArray, QByteArray> event_;
    std::vector<Alarm> alarms_;
    Property uid_{icalproperty_new_uid("")};
    Property summary_{icalproperty_new_summary("")};
    Property description_{icalproperty_new_description("")};
    QHash<qint64, QByteArray> dates_;
    QDate today_ = currentClock().today();
};

// The calendar's own lines around its events.
std::pair<QByteArray, QByteArray> calendarFrame() {
    icalcomponent* calendar = icalcomponent_new(ICAL_VCALENDAR_COMPONENT);
    const QByteArray product =
        "-//" + config::makerName.toUtf8() + "//" + config::productName.toUtf8() + "//EN";
    icalcomponent_add_property(calendar, icalproperty_new_prodid(product.constData()));
    icalcomponent_add_property(calendar, icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar, icalproperty_new_calscale("GREGORIAN"));
    icalproperty* name = icalproperty_new_x("Birthdays");
    icalproperty_set_x_name(name, "X-WR-CALNAME");
    icalcomponent_add_property(calendar, name);
    return frameOf(calendar);
}

// The text goes to the device in pieces of about this size.
constexpr qsizetype writeLimit = 64 * 1024;

void put(QIODevice& device, QByteArray& pending, const QByteArray& bytes, qsizetype limit = writeLimit) {
    pending += bytes;
    if (pending.size() < limit)
        return;
    if (!writeAll(device, pending))
        throw AppError(QStringLiteral("Cannot write the calendar: %1").arg(device.errorString()));
    pending.truncate(0);
}
} // namespace

bool writeICalendar(QIODevice& device, const CalendarExport& calendar, const FormatProgress& progress) {
    const auto [head, tail] = calendarFrame();
    EventWriter event(calendar.reminderDays, calendar.stamp);
    QByteArray pending;
    put(device, pending, head);
    // The same birthday twice would be one event written twice under one UID.
    QSet<QByteArray> written;
    const auto total = static_cast<qint64>(calendar.birthdays.size());
    for (qint64 done = 0; done < total; ++done) {
        if (progress && !progress(done, total))
            return false;
        const BirthdayRecord& birthday = calendar.birthdays[static_cast<size_t>(done)];
        const QByteArray uid = uidOf(birthday);
        if (written.contains(uid))
            continue;
        written.insert(uid);
        put(device, pending, event.text(birthday, uid));
    }
    put(device, pending, tail, 0);
    return true;
}

} // namespace cw
