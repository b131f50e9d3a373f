// Any bytes as a calendar: the yearly events read as birthdays, written back out as the export writes
// them, and read again. What comes back is the same birthdays, each on a real date.
#include "core/apperror.h"
#include "formats/icalendarformat.h"

#include <QBuffer>
#include <QDate>

#include <algorithm>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& name) {
    std::fprintf(stderr, "%s: %s\n", what, name.toUtf8().constData());
    std::abort();
}

std::vector<cw::BirthdayRecord> birthdaysOf(const std::vector<cw::ReadEntry>& entries) {
    std::vector<cw::BirthdayRecord> birthdays;
    for (const cw::ReadEntry& entry : entries)
        if (entry)
            birthdays.push_back(*entry);
    return birthdays;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    std::vector<cw::BirthdayRecord> birthdays;
    try {
        birthdays = birthdaysOf(cw::readICalendar(bytes));
    } catch (const cw::AppError&) {
        return 0; // no calendar in it
    }
    for (const cw::BirthdayRecord& birthday : birthdays)
        if (!QDate(2000, birthday.month, birthday.day).isValid() || birthday.name.isEmpty())
            fail("a birthday without a real date or a name", birthday.name);

    QBuffer written;
    written.open(QIODevice::WriteOnly);
    cw::writeICalendar(written,
                       {birthdays, {0, 3, 7, 14, 30}, QDateTime(QDate(2026, 12, 7), QTime(9, 0), Qt::UTC)});
    const std::vector<cw::BirthdayRecord> again = birthdaysOf(cw::readICalendar(written.data()));
    // The export writes each birthday once.
    size_t matched = 0;
    for (const cw::BirthdayRecord& birthday : birthdays) {
        const bool found = std::any_of(again.begin(), again.end(), [&](const cw::BirthdayRecord& other) {
            return other.name == birthday.name && other.month == birthday.month && other.day == birthday.day;
        });
        if (!found)
            fail("a birthday that does not come back from the calendar", birthday.name);
        ++matched;
    }
    if (again.size() > matched)
        fail("more birthdays come back than went out", QString());
    return 0;
}
