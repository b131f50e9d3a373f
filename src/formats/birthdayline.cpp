#include "formats/birthdayline.h"

#include "core/age.h"
#include "core/apperror.h"
#include "core/clock.h"
#include "core/monthnames.h"
#include "core/nametext.h"
#include "core/statements.h"
#include "formats/textfile.h"

#include <array>
#include <limits>
#include <optional>

namespace cw {

namespace {
constexpr qsizetype quoteLimit = 120;
const QString anniversaryWord = QStringLiteral("anniversary");
// February has 29 days here: a birthday on the leap day is a real birthday.
constexpr std::array<int, 12> daysInMonth{31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Text as a message quotes it: control characters made visible, a very long text shortened.
QString quoted(const QString& text) {
    QString shown;
    for (const QChar c : text.left(quoteLimit)) {
        if (c.unicode() < 0x20)
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    if (text.size() > quoteLimit)
        shown += QStringLiteral("...");
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

[[noreturn]] void malformed(const QString& line, qint64 lineNumber, const QString& reason) {
    throw AppError(QStringLiteral("Line %1 is not a birthday line (%2): %3")
                       .arg(QString::number(lineNumber), quoted(line), reason));
}

// A whole number, optionally signed, that fits 16 bits; false for anything else.
bool parseDay(QStringView text, int& day) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > 32768)
            return false;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<qint16>::max())
        return false;
    day = static_cast<int>(value);
    return true;
}

// The words after the day: a year (one that cannot be a year is passed over), "anniversary".
void readYearAndKind(QStringView words, BirthdayLine& birthday) {
    const QDate today = currentClock().today();
    for (const QStringView word : words.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool number = false;
        const int year = word.toInt(&number);
        if (word.compare(anniversaryWord, Qt::CaseInsensitive) == 0)
            birthday.kind = DateKind::Anniversary;
        else if (number && birthday.year == 0 && isKnownYear(year, today) &&
                 QDate(year, birthday.month, birthday.day).isValid())
            birthday.year = year;
    }
}

// The month and day of the text after a comma, read as the import has always read it: split at
// single blanks, the first word is the month and the second the day; further words are ignored.
// The reason it is no birthday when it fails.
std::optional<QString> readDate(QStringView date, BirthdayLine& birthday) {
    const qsizetype firstBlank = date.indexOf(QLatin1Char(' '));
    const QStringView monthWord = date.left(firstBlank < 0 ? date.size() : firstBlank);
    if (monthWord.isEmpty())
        return QStringLiteral("there is no month right after the comma.");
    if (firstBlank < 0)
        return QStringLiteral("the day is missing.");
    const qsizetype secondBlank = date.indexOf(QLatin1Char(' '), firstBlank + 1);
    const QStringView dayText = date.mid(firstBlank + 1, secondBlank < 0 ? -1 : secondBlank - firstBlank - 1);
    if (!parseDay(dayText, birthday.day))
        return QStringLiteral("the day %1 is not a whole number.").arg(quoted(dayText.toString()));
    birthday.month = MonthNumberFromName(monthWord);
    if (birthday.month == 0)
        return QStringLiteral("%1 is not an English month name.").arg(quoted(monthWord.toString()));
    if (birthday.day < 1 || birthday.day > daysInMonth[static_cast<size_t>(birthday.month - 1)])
        return QStringLiteral("%1 has no day %2.")
            .arg(MonthNameFromNumber(birthday.month), QString::number(birthday.day));
    if (secondBlank >= 0)
        readYearAndKind(date.sliced(secondBlank + 1), birthday);
    return std::nullopt;
}
} // namespace

BirthdayLine parseBirthdayLine(const QString& line, qint64 lineNumber) {
    if (line.contains(QChar(u'\0')))
        malformed(line, lineNumber, QStringLiteral("it holds a NUL character."));
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    if (comma < 0)
        malformed(line, lineNumber, QStringLiteral("there is no comma after the name."));
    // The name ends at the first comma, and only the text up to a second comma counts.
    const qsizetype nextComma = line.indexOf(QLatin1Char(','), comma + 1);
    const QStringView view(line);
    BirthdayLine birthday;
    const std::optional<QString> failure =
        readDate(view.mid(comma + 1, nextComma < 0 ? -1 : nextComma - comma - 1), birthday);
    if (!failure) {
        birthday.name = statements::trimBlanks(line.left(comma));
        return birthday;
    }
    // A name that holds a comma itself, as the export writes it: the date follows the last comma.
    const qsizetype lastComma = line.lastIndexOf(QLatin1Char(','));
    if (lastComma != comma && !readDate(view.mid(lastComma + 1), birthday)) {
        birthday.name = statements::trimBlanks(line.left(lastComma));
        return birthday;
    }
    malformed(line, lineNumber, *failure);
}

void rejectLongLine(const QString& start, qint64 lineNumber) {
    malformed(start, lineNumber, QStringLiteral("it is longer than 64 KB."));
}

BirthdayLineText birthdayLineText(const QString& person, int month, const QString& day, int year,
                                  DateKind kind) {
    QString after;
    if (year != 0)
        after = QLatin1Char(' ') + QString::number(year);
    if (kind == DateKind::Anniversary)
        after += QLatin1Char(' ') + anniversaryWord;
    return {nameOnOneLine(person), MonthNameFromNumber(month), day, after};
}

void writeBirthdayLine(TextFileWriter& writer, const BirthdayLineText& line) {
    writer.writeLine({line.name, u",", line.monthName, u" ", line.day, line.after});
}

} // namespace cw
