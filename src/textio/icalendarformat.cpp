#include "textio/icalendarformat.h"

#include "app/apperror.h"
#include "app/config.h"
#include "store/daysleft.h"

#include <QBuffer>
#include <QCryptographicHash>
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

struct ParserFree {
    void operator()(icalparser* parser) const { icalparser_free(parser); }
};

// libical asks for the stream line by line.
struct LineSource {
    QIODevice& device;
    const std::function<bool()>& keepGoing;
    int lines = 0;
};

char* nextLine(char* buffer, size_t size, void* data) {
    auto* source = static_cast<LineSource*>(data);
    if (++source->lines % 4096 == 0 && !source->keepGoing())
        return nullptr;
    return source->device.readLine(buffer, static_cast<qint64>(size)) > 0 ? buffer : nullptr;
}

QString withoutBirthdaySuffix(QString name) {
    name = cleanPersonName(name);
    // Some calendars write a typographic apostrophe.
    for (const QString& suffix : {QStringLiteral("'s birthday"), QStringLiteral("\u2019s birthday")})
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            return name.chopped(suffix.size()).trimmed();
    return name;
}

ReadEntry birthdayOf(icalcomponent* event) {
    icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
    if (!rule || icalproperty_get_rrule(rule).freq != ICAL_YEARLY_RECURRENCE)
        return std::nullopt;
    const icaltimetype start = icalcomponent_get_dtstart(event);
    if (icaltime_is_null_time(start) || !QDate(2000, start.month, start.day).isValid())
        return std::nullopt;
    const char* summary = icalcomponent_get_summary(event);
    const QString name = withoutBirthdaySuffix(QString::fromUtf8(summary ? summary : ""));
    if (name.isEmpty())
        return std::nullopt;
    return BirthdayRecord{name, start.month, start.day};
}

void readEvents(icalcomponent* calendar, std::vector<ReadEntry>& entries) {
    for (icalcomponent* event = icalcomponent_get_first_component(calendar, ICAL_VEVENT_COMPONENT); event;
         event = icalcomponent_get_next_component(calendar, ICAL_VEVENT_COMPONENT))
        entries.push_back(birthdayOf(event));
}
} // namespace

std::vector<ReadEntry> readICalendar(QIODevice& device, const std::function<bool()>& keepGoing) {
    const std::unique_ptr<icalparser, ParserFree> parser(icalparser_new());
    LineSource source{device, keepGoing};
    icalparser_set_gen_data(parser.get(), &source);
    const Component root(icalparser_parse(parser.get(), nextLine));
    std::vector<ReadEntry> entries;
    if (root && icalcomponent_isa(root.get()) == ICAL_VCALENDAR_COMPONENT) {
        readEvents(root.get(), entries);
    } else if (root && icalcomponent_isa(root.get()) == ICAL_XROOT_COMPONENT) {
        // Several calendars in one file come under one root.
        for (icalcomponent* calendar = icalcomponent_get_first_component(root.get(), ICAL_VCALENDAR_COMPONENT);
             calendar; calendar = icalcomponent_get_next_component(root.get(), ICAL_VCALENDAR_COMPONENT))
            readEvents(calendar, entries);
    } else if (keepGoing()) {
        throw AppError(QStringLiteral("The file holds no calendar."));
    }
    return entries;
}

std::vector<ReadEntry> readICalendar(const QByteArray& bytes) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return readICalendar(buffer, [] { return true; });
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
    const QDate leap = buildDate(2000, month, day);
    const QDate common = buildDate(2001, month, day);
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

QByteArray uidOf(const BirthdayRecord& birthday) {
    const QByteArray key = birthday.name.toUtf8() + '\n' + QByteArray::number(birthday.month) + '-' +
                           QByteArray::number(birthday.day);
    return QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex() + "@birthdays." +
           config::makerName.toLower().toUtf8() + ".example";
}

QString alertLine(const QString& name, int days) {
    if (days == 0)
        return name + QStringLiteral("'s birthday is today.");
    return name + QStringLiteral("'s birthday is in %1 days.").arg(days);
}

// One event whose properties are changed for each birthday: building the components once keeps a
// large export fast.
class EventTemplate {
  public:
    EventTemplate(const std::vector<int>& reminderDays, const QDateTime& stamp)
        : event_(icalcomponent_new(ICAL_VEVENT_COMPONENT)) {
        icalcomponent* event = event_.get();
        uid_ = add(icalproperty_new_uid(""));
        add(icalproperty_new_dtstamp(
            icaltime_from_timet_with_zone(stamp.toSecsSinceEpoch(), 0, icaltimezone_get_utc_timezone())));
        start_ = add(icalproperty_new_dtstart(icaltime_null_date()));
        end_ = add(icalproperty_new_dtend(icaltime_null_date()));
        rule_ = add(icalproperty_new_rrule(yearly(0)));
        summary_ = add(icalproperty_new_summary(""));
        add(icalproperty_new_categories("BIRTHDAY"));
        add(icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
        for (const int days : reminderDays) {
            icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
            icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
            // 09:00 on the day, counted from the start of the all-day event.
            icaltriggertype trigger{};
            trigger.time = icaltime_null_time();
            trigger.duration = icaldurationtype_from_int(-days * 86400 + 9 * 3600);
            icalcomponent_add_property(alarm, icalproperty_new_trigger(trigger));
            icalproperty* description = icalproperty_new_description("");
            icalcomponent_add_property(alarm, description);
            icalcomponent_add_component(event, alarm);
            alarms_.emplace_back(days, description);
        }
    }

    QByteArray text(const BirthdayRecord& birthday, const QByteArray& uid) {
        const Recurrence recurrence = recurrenceOf(birthday.month, birthday.day);
        icalproperty_set_uid(uid_, uid.constData());
        icalproperty_set_dtstart(start_, dateOf(recurrence.start));
        icalproperty_set_dtend(end_, dateOf(recurrence.start.addDays(1)));
        icalproperty_set_rrule(rule_, yearly(recurrence.yearDay));
        icalproperty_set_summary(summary_, (birthday.name + QStringLiteral("'s birthday")).toUtf8().constData());
        for (const auto& [days, description] : alarms_)
            icalproperty_set_description(description, alertLine(birthday.name, days).toUtf8().constData());
        char* text = icalcomponent_as_ical_string_r(event_.get());
        QByteArray bytes(text);
        icalmemory_free_buffer(text);
        return bytes;
    }

  private:
    icalproperty* add(icalproperty* property) {
        icalcomponent_add_property(event_.get(), property);
        return property;
    }

    static icalrecurrencetype yearly(int yearDay) {
        icalrecurrencetype rule;
        icalrecurrencetype_clear(&rule);
        rule.freq = ICAL_YEARLY_RECURRENCE;
        if (yearDay != 0) {
            rule.by_year_day[0] = static_cast<short>(yearDay);
            rule.by_year_day[1] = ICAL_RECURRENCE_ARRAY_MAX;
        }
        return rule;
    }

    Component event_;
    icalproperty* uid_;
    icalproperty* start_;
    icalproperty* end_;
    icalproperty* rule_;
    icalproperty* summary_;
    std::vector<std::pair<int, icalproperty*>> alarms_;
};

// The calendar's own lines around its events, written by libical.
std::pair<QByteArray, QByteArray> calendarFrame() {
    const Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    const QByteArray product = "-//" + config::makerName.toUtf8() + "//" + config::productName.toUtf8() + "//EN";
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid(product.constData()));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    icalcomponent_add_property(calendar.get(), icalproperty_new_calscale("GREGORIAN"));
    icalproperty* name = icalproperty_new_x("Birthdays");
    icalproperty_set_x_name(name, "X-WR-CALNAME");
    icalcomponent_add_property(calendar.get(), name);
    char* text = icalcomponent_as_ical_string_r(calendar.get());
    const QByteArray whole(text);
    icalmemory_free_buffer(text);
    const qsizetype end = whole.lastIndexOf("END:VCALENDAR");
    return {whole.first(end), whole.sliced(end)};
}

void put(QIODevice& device, const QByteArray& bytes) {
    if (device.write(bytes) != bytes.size())
        throw AppError(QStringLiteral("Cannot write the calendar: %1").arg(device.errorString()));
}
} // namespace

void writeICalendar(QIODevice& device, const CalendarExport& calendar) {
    const auto [head, tail] = calendarFrame();
    EventTemplate event(calendar.reminderDays, calendar.stamp);
    QByteArray buffer = head;
    // The same birthday twice would be one event written twice under one UID.
    QSet<QByteArray> written;
    for (const BirthdayRecord& birthday : calendar.birthdays) {
        const QByteArray uid = uidOf(birthday);
        if (written.contains(uid))
            continue;
        written.insert(uid);
        buffer += event.text(birthday, uid);
        if (buffer.size() >= 64 * 1024) {
            put(device, buffer);
            buffer.clear();
        }
    }
    put(device, buffer + tail);
}

} // namespace cw
