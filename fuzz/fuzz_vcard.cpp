// Any bytes as an address book: read card by card as the import reads a file. Every card either has
// no birthday or gives a real date (February 29 included) and a name the list can show.
#include "formats/vcardreader.h"

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
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const cw::ReadEntry& entry : cw::readVCards(bytes)) {
        if (!entry)
            continue;
        if (!QDate(2000, entry->month, entry->day).isValid())
            fail("a date outside the calendar", entry->name);
        if (entry->name.isEmpty() || entry->name != entry->name.trimmed())
            fail("an empty name or one with white space at its ends", entry->name);
        for (const QChar c : entry->name)
            if (c.unicode() < 0x20)
                fail("a control character in a name", entry->name);
    }
    return 0;
}
