#pragma once
// iCalendar through libical: yearly events read as birthdays, and the list written as a calendar of
// yearly all-day events with one alarm per reminder option. libical's types stay in this file.
#include "core/birthdayrecord.h"

#include <QDateTime>

#include <functional>
#include <vector>

class QIODevice;

namespace cw {

// Every event of the calendars in the stream, handed to take one by one as it is read: a yearly event
// is a birthday named by its summary (without a trailing "'s birthday"; one with "'s anniversary" is
// an anniversary), with the year of its first date when that is a year of birth and no placeholder;
// any other event reads as none. The stream is UTF-8 (a line that is not is read as Windows-1252) or
// UTF-16 with a byte-order mark. keepGoing is asked now and then while the stream is read; when it says no, reading stops.
// Throws AppError when the stream holds no calendar, or one cut short, after the events read so far.
void readICalendar(QIODevice& device, const std::function<bool()>& keepGoing,
                   const std::function<void(const ReadEntry&)>& take);
std::vector<ReadEntry> readICalendar(const QByteArray& bytes);

struct CalendarExport {
    std::vector<BirthdayRecord> birthdays; // month and day as the list holds them, year and kind
    std::vector<int> reminderDays;         // days before the birthday an alarm rings: 0, 3, 7, 14, 30
    QDateTime stamp;                       // when the calendar was made
};

// The calendar, its events falling on the days the program announces each birthday; false when
// progress cancelled it part way. Throws AppError, with the device's reason, when the device takes no
// more. The text goes out in large pieces: the device need not buffer.
bool writeICalendar(QIODevice& device, const CalendarExport& calendar, const FormatProgress& progress = {});

} // namespace cw
