// Any bytes as an address book: read card by card as the import reads a file. Every entry of a card
// (its birthday, its anniversary) either is none or gives a real date (February 29 included), a year
// that is none or a known one in which the date exists, and a name the list can show.
#include "core/age.h"
#include "formats/vcardreader.h"

#include <QBuffer>
#include <QDate>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& name) {
    std::fprintf(stderr, "%s: %s\n", what, name.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    cw::VCardReader reader(buffer);
    cw::ReadEntry first;
    while (reader.next(first))
        for (const cw::ReadEntry& entry : reader.entries()) {
            if (!entry)
                continue;
            if (!QDate(2000, entry->month, entry->day).isValid())
                fail("a date outside the calendar", entry->name);
            if (entry->year != 0 && (!cw::isKnownYear(entry->year, QDate::currentDate()) ||
                                     !QDate(entry->year, entry->month, entry->day).isValid()))
                fail("a year that cannot be", entry->name);
            if (entry->name.isEmpty() || entry->name != entry->name.trimmed())
                fail("an empty name or one with white space at its ends", entry->name);
            for (const QChar c : entry->name)
                if (c.unicode() < 0x20)
                    fail("a control character in a name", entry->name);
        }
    return 0;
}
