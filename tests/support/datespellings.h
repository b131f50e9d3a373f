#pragma once
// Dates as address books spell them, and the entry each day of the card gives ("--06-05 anniversary" has
// no year), or "skipped". A row holds spellings that read alike, "|" between them, "\n" between lines.
#include "store/birthdaylist.h"

#include <QHash>
#include <QStringList>

namespace cwtest {

struct DateSpelling {
    QString version, lines, expected;
};

// clang-format off
inline const char* const dateSpellingRows[][3] = {
    {"3.0", "BDAY:1984-05-03|BDAY:19840503|BDAY;VALUE=date:1984-05-03|BDAY;value=DATE:19840503|"
     "BDAY:1984-05-03T00:00:00Z|BDAY:19840503T000000Z|bday:19840503", "1984-05-03 birthday"},
    {"4.0", "BDAY:1984-05-03T10:30:00+02:00|BDAY:19840503T103000-0500|BDAY:1984-05-03T00:00:00|"
     "BDAY;VALUE=date-and-or-time:19840503T1030", "1984-05-03 birthday"},
    {"2.1", "BDAY:1984-05-03|BDAY:19840503|BDAY;VALUE=DATE:19840503|BDAY;ENCODING=QUOTED-PRINTABLE:1984-05-=\n03",
     "1984-05-03 birthday"},
    {"4.0", "BDAY:--0503|BDAY:--05-03|BDAY;VALUE=date:--0503|BDAY;X-NEXTCLOUD-BC-UNKNOWN-YEAR=1:1970-05-03",
     "--05-03 birthday"},
    {"3.0", "BDAY:0000-05-03|BDAY:1604-05-03|BDAY;X-APPLE-OMIT-YEAR=1604:1604-05-03|"
     "BDAY;X-APPLE-OMIT-YEAR=1984:1984-05-03|bday;x-apple-omit-year=1604:1604-05-03|BDAY:1799-05-03|"
     "BDAY:2999-05-03|BDAY;X-NEXTCLOUD-BC-UNKNOWN-YEAR=true;VALUE=date:19700503", "--05-03 birthday"},
    {"3.0", "BDAY:00000229|BDAY;X-APPLE-OMIT-YEAR=1604;VALUE=date:1604-02-29", "--02-29 birthday"},
    {"3.0", "BDAY:1800-01-01", "1800-01-01 birthday"},
    {"3.0", "BDAY:1984-02-29", "1984-02-29 birthday"},
    {"3.0", "BDAY:1985-02-29|BDAY:1984-13-01|BDAY:1984-05-32|BDAY:84-05-03|BDAY:1984-05|"
     "BDAY;VALUE=text:circa 1984|X-ANNIVERSARY:2010-02-30|DEATHDATE:20010911|"
     "item1.X-ABDATE:2010-06-05\nitem1.X-ABLabel:_$!<Other>!$_|"
     "item1.X-ABDATE:2010-06-05\nitem2.X-ABLabel:_$!<Anniversary>!$_", "skipped"},
    {"4.0", "ANNIVERSARY:19900605", "1990-06-05 anniversary"},
    {"4.0", "ANNIVERSARY:--0605", "--06-05 anniversary"},
    {"3.0", "X-ANNIVERSARY:2010-06-05|X-EVOLUTION-ANNIVERSARY:2010-06-05|X-KADDRESSBOOK-X-Anniversary:2010-06-05|"
     "x-kaddressbook-x-anniversary:20100605|item1.X-ABDATE;type=pref:2010-06-05\nitem1.X-ABLabel:_$!<Anniversary>!$_|"
     "item2.X-ABLabel:_$!<Anniversary>!$_\nitem2.X-ABDATE:2010-06-05|"
     "ANNIVERSARY;VALUE=date-and-or-time:20100605T150000Z", "2010-06-05 anniversary"},
    {"3.0", "item1.X-ABDATE;X-APPLE-OMIT-YEAR=1604:1604-06-05\nitem1.X-ABLabel:_$!<Anniversary>!$_",
     "--06-05 anniversary"},
    {"3.0", "BDAY:1984-05-03\nANNIVERSARY:2010-06-05|"
     "item1.BDAY:1984-05-03\nitem3.X-ABDATE:2010-06-05\nitem3.X-ABLabel:_$!<Anniversary>!$_",
     "1984-05-03 birthday + 2010-06-05 anniversary"},
    {"4.0", "ANNIVERSARY:2010-06-05\nBDAY:--0503", "--05-03 birthday + 2010-06-05 anniversary"},
    {"3.0", "BDAY:1984-05-03\nX-ANNIVERSARY:soon", "1984-05-03 birthday + skipped"},
    {"4.0", "BDAY:garbage\nANNIVERSARY:2010-06-05", "skipped + 2010-06-05 anniversary"},
    {"4.0", "BDAY:1920-05-03\nDEATHDATE:2001-09-11|BDAY;VALUE=date:1920-05-03\ndeathdate:20010911T000000Z|"
     "BDAY:1920-05-03\nX-EVOLUTION-DEATHDATE:20010911", "1920-05-03 birthday died 2001-09-11"},
    {"4.0", "BDAY:1920-05-03\nDEATHDATE:--0911|BDAY:1920-05-03\nDEATHDATE;VALUE=text:in the war",
     "1920-05-03 birthday"},
    {"4.0", "BDAY:1920-05-03\nANNIVERSARY:1950-06-05\nDEATHDATE:2001-09-11",
     "1920-05-03 birthday died 2001-09-11 + 1950-06-05 anniversary died 2001-09-11"},
};
// clang-format on

inline std::vector<DateSpelling> dateSpellings() {
    std::vector<DateSpelling> spellings;
    for (const auto& row : dateSpellingRows)
        for (const QString& lines : QString(row[1]).split('|'))
            spellings.push_back({row[0], lines, row[2]});
    return spellings;
}

// The card of a spelling, named "Spelling i".
inline QByteArray spellingCard(const DateSpelling& spelling, size_t i) {
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:%1\r\nUID:s%2\r\nFN:Spelling %2\r\n%3\r\nEND:VCARD\r\n")
        .arg(spelling.version, QString::number(i), QString(spelling.lines).replace("\n", "\r\n"))
        .toUtf8();
}

inline QString entryText(const cw::ReadEntry& entry) {
    if (!entry)
        return QStringLiteral("skipped");
    const QString text = (entry->year ? QString::number(entry->year) : "-") +
                         QString::asprintf("-%02d-%02d ", entry->month, entry->day) +
                         (entry->kind == cw::DateKind::Anniversary ? "anniversary" : "birthday");
    return entry->death.isValid() ? text + " died " + entry->death.toString(Qt::ISODate) : text;
}

// The rows of a list by name, birthdays first, as the table writes them.
inline QHash<QString, QString> entriesByName(const cw::BirthdayList& list) {
    QHash<QString, QString> stored;
    for (size_t row = 0; row < list.size(); ++row) {
        const cw::DateExtras& x = list.extras(row);
        const int month = int(list.month(row).value), day = int(list.day(row).value);
        const QString entry = entryText(cw::BirthdayRecord{{}, month, day, x.year, x.kind, x.death});
        QString& all = stored[list.person(row)];
        all = all.isEmpty()                         ? entry
              : x.kind == cw::DateKind::Anniversary ? all + " + " + entry
                                                    : entry + " + " + all;
    }
    return stored;
}

// What a store must hold of a spelling: its entries that are not skipped.
inline QString storedOf(const DateSpelling& spelling) {
    QStringList entries = spelling.expected.split(" + ");
    entries.removeAll(QStringLiteral("skipped"));
    return entries.join(" + ");
}

} // namespace cwtest
