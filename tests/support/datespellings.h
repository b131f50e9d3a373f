#pragma once
// Dates as address books spell them, each with what must be read of it: one entry for each day of the
// card ("1984-05-03 birthday", "--06-05 anniversary" without a year, "... died 2001-09-11"), or
// "skipped". Set CANDLEWISE_PRINT_SPELLINGS=1 to have a test print what it read.
#include "core/birthdayrecord.h"
#include "store/birthdaylist.h"

#include <QHash>
#include <QStringList>

#include <algorithm>

namespace cwtest {

struct DateSpelling {
    const char* version;
    const char* lines; // the card's date lines, "\n" between them
    const char* expected;
};

// clang-format off
inline constexpr DateSpelling dateSpellings[] = {
    {"3.0", "BDAY:1984-05-03", "1984-05-03 birthday"},
    {"3.0", "BDAY:19840503", "1984-05-03 birthday"},
    {"3.0", "BDAY;VALUE=date:1984-05-03", "1984-05-03 birthday"},
    {"3.0", "BDAY;value=DATE:19840503", "1984-05-03 birthday"},
    {"3.0", "BDAY:1984-05-03T00:00:00Z", "1984-05-03 birthday"},
    {"3.0", "BDAY:19840503T000000Z", "1984-05-03 birthday"},
    {"4.0", "BDAY:1984-05-03T10:30:00+02:00", "1984-05-03 birthday"},
    {"4.0", "BDAY:19840503T103000-0500", "1984-05-03 birthday"},
    {"4.0", "BDAY:1984-05-03T00:00:00", "1984-05-03 birthday"},
    {"4.0", "BDAY;VALUE=date-and-or-time:19840503T1030", "1984-05-03 birthday"},
    {"4.0", "bday:19840503", "1984-05-03 birthday"},
    {"4.0", "BDAY:--0503", "--05-03 birthday"},
    {"4.0", "BDAY:--05-03", "--05-03 birthday"},
    {"4.0", "BDAY;VALUE=date:--0503", "--05-03 birthday"},
    {"3.0", "BDAY:0000-05-03", "--05-03 birthday"},
    {"3.0", "BDAY:00000229", "--02-29 birthday"},
    {"3.0", "BDAY:1604-05-03", "--05-03 birthday"},
    {"3.0", "BDAY;X-APPLE-OMIT-YEAR=1604:1604-05-03", "--05-03 birthday"},
    {"3.0", "BDAY;X-APPLE-OMIT-YEAR=1604;VALUE=date:1604-02-29", "--02-29 birthday"},
    {"3.0", "BDAY;X-APPLE-OMIT-YEAR=1984:1984-05-03", "--05-03 birthday"},
    {"3.0", "bday;x-apple-omit-year=1604:1604-05-03", "--05-03 birthday"},
    {"4.0", "BDAY;X-NEXTCLOUD-BC-UNKNOWN-YEAR=1:1970-05-03", "--05-03 birthday"},
    {"3.0", "BDAY;X-NEXTCLOUD-BC-UNKNOWN-YEAR=true;VALUE=date:19700503", "--05-03 birthday"},
    {"3.0", "BDAY:1799-05-03", "--05-03 birthday"},
    {"3.0", "BDAY:2999-05-03", "--05-03 birthday"},
    {"3.0", "BDAY:1800-01-01", "1800-01-01 birthday"},
    {"3.0", "BDAY:1984-02-29", "1984-02-29 birthday"},
    {"3.0", "BDAY:1985-02-29", "skipped"},
    {"3.0", "BDAY:1984-13-01", "skipped"},
    {"3.0", "BDAY:1984-05-32", "skipped"},
    {"3.0", "BDAY:84-05-03", "skipped"},
    {"3.0", "BDAY:1984-05", "skipped"},
    {"4.0", "BDAY;VALUE=text:circa 1984", "skipped"},
    {"2.1", "BDAY:1984-05-03", "1984-05-03 birthday"},
    {"2.1", "BDAY:19840503", "1984-05-03 birthday"},
    {"2.1", "BDAY;VALUE=DATE:19840503", "1984-05-03 birthday"},
    {"2.1", "BDAY;ENCODING=QUOTED-PRINTABLE:1984-05-=\n03", "1984-05-03 birthday"},
    {"4.0", "ANNIVERSARY:19900605", "1990-06-05 anniversary"},
    {"4.0", "ANNIVERSARY:--0605", "--06-05 anniversary"},
    {"4.0", "ANNIVERSARY;VALUE=date-and-or-time:20100605T150000Z", "2010-06-05 anniversary"},
    {"4.0", "BDAY:1984-05-03\nANNIVERSARY:2010-06-05", "1984-05-03 birthday + 2010-06-05 anniversary"},
    {"4.0", "ANNIVERSARY:2010-06-05\nBDAY:--0503", "--05-03 birthday + 2010-06-05 anniversary"},
    {"3.0", "X-ANNIVERSARY:2010-06-05", "2010-06-05 anniversary"},
    {"3.0", "X-EVOLUTION-ANNIVERSARY:2010-06-05", "2010-06-05 anniversary"},
    {"3.0", "X-KADDRESSBOOK-X-Anniversary:2010-06-05", "2010-06-05 anniversary"},
    {"3.0", "x-kaddressbook-x-anniversary:20100605", "2010-06-05 anniversary"},
    {"3.0", "item1.X-ABDATE;type=pref:2010-06-05\nitem1.X-ABLabel:_$!<Anniversary>!$_", "2010-06-05 anniversary"},
    {"3.0", "item2.X-ABLabel:_$!<Anniversary>!$_\nitem2.X-ABDATE:2010-06-05", "2010-06-05 anniversary"},
    {"3.0", "item1.X-ABDATE;X-APPLE-OMIT-YEAR=1604:1604-06-05\nitem1.X-ABLabel:_$!<Anniversary>!$_",
     "--06-05 anniversary"},
    {"3.0", "item1.X-ABDATE:2010-06-05\nitem1.X-ABLabel:_$!<Other>!$_", "skipped"},
    {"3.0", "item1.X-ABDATE:2010-06-05\nitem2.X-ABLabel:_$!<Anniversary>!$_", "skipped"},
    {"3.0", "item1.BDAY:1984-05-03\nitem3.X-ABDATE:2010-06-05\nitem3.X-ABLabel:_$!<Anniversary>!$_",
     "1984-05-03 birthday + 2010-06-05 anniversary"},
    {"3.0", "X-ANNIVERSARY:2010-02-30", "skipped"},
    {"3.0", "BDAY:1984-05-03\nX-ANNIVERSARY:soon", "1984-05-03 birthday + skipped"},
    {"4.0", "BDAY:garbage\nANNIVERSARY:2010-06-05", "skipped + 2010-06-05 anniversary"},
    {"4.0", "BDAY:1920-05-03\nDEATHDATE:2001-09-11", "1920-05-03 birthday died 2001-09-11"},
    {"3.0", "BDAY:1920-05-03\nX-EVOLUTION-DEATHDATE:20010911", "1920-05-03 birthday died 2001-09-11"},
    {"4.0", "BDAY;VALUE=date:1920-05-03\ndeathdate:20010911T000000Z", "1920-05-03 birthday died 2001-09-11"},
    {"4.0", "BDAY:1920-05-03\nDEATHDATE:--0911", "1920-05-03 birthday"},
    {"4.0", "BDAY:1920-05-03\nDEATHDATE;VALUE=text:in the war", "1920-05-03 birthday"},
    {"4.0", "DEATHDATE:20010911", "skipped"},
    {"4.0", "BDAY:1920-05-03\nANNIVERSARY:1950-06-05\nDEATHDATE:2001-09-11",
     "1920-05-03 birthday died 2001-09-11 + 1950-06-05 anniversary died 2001-09-11"},
};
// clang-format on

// The card of spelling i, named "Spelling i".
inline QByteArray spellingCard(size_t i) {
    const DateSpelling& spelling = dateSpellings[i];
    return QStringLiteral(
               "BEGIN:VCARD\r\nVERSION:%1\r\nUID:spelling-%2\r\nFN:Spelling %2\r\n%3\r\nEND:VCARD\r\n")
        .arg(spelling.version, QString::number(i), QString(spelling.lines).replace("\n", "\r\n"))
        .toUtf8();
}

// An entry as the table writes it.
inline QString entryText(const cw::ReadEntry& entry) {
    if (!entry)
        return QStringLiteral("skipped");
    QString text = (entry->year ? QString::number(entry->year) : QStringLiteral("-")) +
                   QString::asprintf("-%02d-%02d ", entry->month, entry->day) +
                   (entry->kind == cw::DateKind::Anniversary ? "anniversary" : "birthday");
    return entry->death.isValid() ? text + " died " + entry->death.toString(Qt::ISODate) : text;
}

// What a store must hold of spelling i: its entries that are not skipped.
inline QStringList storedOf(size_t i) {
    QStringList entries = QString(dateSpellings[i].expected).split(" + ");
    entries.removeAll(QStringLiteral("skipped"));
    return entries;
}

// The rows of a list as entries, by name, birthdays first.
inline QHash<QString, QStringList> entriesByName(const cw::BirthdayList& list) {
    QHash<QString, QStringList> stored;
    for (size_t row = 0; row < list.size(); ++row) {
        const cw::DateExtras& extras = list.extras(row);
        QStringList& entries = stored[list.person(row)];
        entries << entryText(cw::BirthdayRecord{{},
                                                int(list.month(row).value),
                                                int(list.day(row).value),
                                                extras.year,
                                                extras.kind,
                                                extras.death});
        std::stable_sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
            return a.contains(" anniversary") < b.contains(" anniversary");
        });
    }
    return stored;
}

} // namespace cwtest
