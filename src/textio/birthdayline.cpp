#include "textio/birthdayline.h"

#include "app/apperror.h"
#include "store/statements.h"
#include "textio/monthnames.h"

#include <QStringList>

#include <array>
#include <limits>

namespace cw {

namespace {
constexpr qsizetype quoteLimit = 120;
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

[[noreturn]] void malformed(const QString& line, int lineNumber, const QString& reason) {
    throw AppError(QStringLiteral("Line %1 is not a birthday line (%2): %3")
                       .arg(QString::number(lineNumber), quoted(line), reason));
}

// A whole number, optionally signed, that fits 16 bits; false for anything else.
bool parseDay(const QString& text, int& day) {
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
} // namespace

BirthdayLine parseBirthdayLine(const QString& line, int lineNumber) {
    if (line.contains(QChar(u'\0')))
        malformed(line, lineNumber, QStringLiteral("it holds a NUL character."));
    const qsizetype comma = line.indexOf(QLatin1Char(','));
    if (comma < 0)
        malformed(line, lineNumber, QStringLiteral("there is no comma after the name."));
    // Only the text up to a second comma counts; anything after it is ignored.
    const qsizetype nextComma = line.indexOf(QLatin1Char(','), comma + 1);
    const QString date = line.mid(comma + 1, nextComma < 0 ? -1 : nextComma - comma - 1);
    const QStringList words = date.split(QLatin1Char(' '));
    const QString monthWord = statements::trimBlanks(words.value(0));
    if (monthWord.isEmpty())
        malformed(line, lineNumber, QStringLiteral("there is no month right after the comma."));
    if (words.size() < 2)
        malformed(line, lineNumber, QStringLiteral("the day is missing."));
    const QString dayText = statements::trimBlanks(words.at(1));

    BirthdayLine birthday;
    birthday.name = statements::trimBlanks(line.left(comma));
    if (!parseDay(dayText, birthday.day))
        malformed(line, lineNumber, QStringLiteral("the day %1 is not a whole number.").arg(quoted(dayText)));
    birthday.month = MonthNumberFromName(monthWord);
    if (birthday.month == 0)
        malformed(line, lineNumber,
                  QStringLiteral("%1 is not an English month name.").arg(quoted(monthWord)));
    if (birthday.day < 1 || birthday.day > daysInMonth[static_cast<size_t>(birthday.month - 1)])
        malformed(line, lineNumber,
                  QStringLiteral("%1 has no day %2.")
                      .arg(MonthNameFromNumber(birthday.month), QString::number(birthday.day)));
    return birthday;
}

} // namespace cw
