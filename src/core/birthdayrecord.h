#pragma once
// A birthday as the other file formats carry it, free of any library's types: a name, a month and a
// day, and, when the file knows them, the year, the kind of day and the date of death.
#include <QDate>
#include <QString>

#include <functional>
#include <optional>

namespace cw {

// A row of the list is a birthday unless it says otherwise.
enum class DateKind : quint8 { Birthday = 0, Anniversary = 1 };

struct BirthdayRecord {
    QString name;
    int month = 0;
    int day = 0;
    int year = 0; // 0: not known
    DateKind kind = DateKind::Birthday;
    QDate death; // invalid: none known
};

// What a reader makes of one entry of a file (a card, an event): its birthday, or nothing when the
// entry has no birthday, no name or no date that can be read.
using ReadEntry = std::optional<BirthdayRecord>;

// Told how much of how much work is done (bytes read, events written); answers false to cancel.
using FormatProgress = std::function<bool(qint64 done, qint64 total)>;

// A name fit for the list: line breaks and other control characters become blanks, and white space
// at the ends goes.
QString cleanPersonName(QString name);

// The name, month and day as one text, which tells a birthday already in the list; the unit separator
// cannot come in a name. Hidden contacts are stored under it: it never changes.
QString birthdayKey(const QString& name, int month, int day);
// An anniversary's key differs from a birthday's on the same day; a birthday's is the one above.
QString birthdayKey(const QString& name, int month, int day, DateKind kind);

} // namespace cw
