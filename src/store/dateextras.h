#pragma once
// What a row may know beyond its month and day: the year, whether it is an anniversary, the date of
// death. It lives in a table of its own beside the birthday table, whose columns stay as they are, and
// goes with its row. A store that never held such a row has no such table; readers take that as none.
#include "core/birthdayrecord.h"

#include <QDate>

namespace cw {

class Connection;

struct DateExtras {
    int year = 0; // 0: not known
    DateKind kind = DateKind::Birthday;
    QDate death;
    bool plain() const { return year == 0 && kind == DateKind::Birthday && !death.isValid(); }
    bool operator==(const DateExtras&) const = default;
};

inline DateExtras extrasOf(const BirthdayRecord& record) {
    return {record.year, record.kind, record.death};
}

// Whether the store has the table; a store of an older version has not, until a writer needs it.
bool hasDateExtras(Connection& connection);
// Creates the table and what removes its rows with theirs; takes its own transaction when none is open.
void ensureDateExtras(Connection& connection);
// Sets the row's extras; plain extras remove them. Creates the table when a row first needs it.
void writeDateExtras(Connection& connection, qint64 birthdayId, const DateExtras& extras);
DateExtras readDateExtras(Connection& connection, qint64 birthdayId);

// The statement that reads every row's extras in the order of their rows' ids: BirthdayId, BirthYear,
// Kind, DeathDate.
const char* dateExtrasQuery();
// A stored date of death ("YYYY-MM-DD"); invalid for anything else.
QDate deathFromText(QByteArrayView text);

} // namespace cw
