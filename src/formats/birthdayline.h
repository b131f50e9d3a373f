#pragma once
// One line of a birthday text file: the name, a comma, an English month name, a blank and the day,
// for example "Arvel Quenby,April 13". A year may follow the day, and the word "anniversary" marks a
// wedding day: "Ann Quenby,June 5 1990 anniversary". Older readers pass over both. Read and written
// here; the store's rows are the caller's.
#include "core/birthdayrecord.h"

#include <QString>

namespace cw {

class TextFileWriter;

struct BirthdayLine {
    QString name; // blanks trimmed at both ends
    int month = 0;
    int day = 0;
    int year = 0; // 0: none given, or none that can be a year
    DateKind kind = DateKind::Birthday;
};

// The birthday a line holds, lineNumber counting from 1. The name ends at the first comma; only
// when the text after it is no date, a name holding commas itself ends at the last comma, if a date
// follows that. A line that does not hold a real date throws AppError whose description names the
// line number and quotes the line (the reason given is that of the first comma).
BirthdayLine parseBirthdayLine(const QString& line, qint64 lineNumber);
// A line too long to be read whole is no birthday line either: throws the AppError that names it,
// quoting its start.
[[noreturn]] void rejectLongLine(const QString& start, qint64 lineNumber);

// A row as the export writes it: the name on one line, the month's English name and the day as the
// list holds it, then the year and the kind when the row has them. Taken whole before anything is
// written.
struct BirthdayLineText {
    QString name;
    QString monthName;
    QString day;
    QString after; // " 1990 anniversary", " 1984", " anniversary" or nothing
};
BirthdayLineText birthdayLineText(const QString& person, int month, const QString& day, int year = 0,
                                  DateKind kind = DateKind::Birthday);
// The pieces one after the other as one line, without joining them first.
void writeBirthdayLine(TextFileWriter& writer, const BirthdayLineText& line);

} // namespace cw
