// Any bytes as a birthday text file: decoded, split into lines and parsed line by line, as the
// import reads a file. Read a few bytes at a time, the file gives the same lines as read whole. A
// line either throws AppError or gives a real birthday that reads back the same once written out in
// the export's format, and whose days left the list can show.
#include "core/apperror.h"
#include "core/daysleft.h"
#include "core/monthnames.h"
#include "core/statements.h"
#include "formats/birthdayline.h"
#include "formats/textfile.h"

#include <QBuffer>
#include <QDate>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& line) {
    std::fprintf(stderr, "%s: %s\n", what, line.toUtf8().constData());
    std::abort();
}

void checkDaysLeft(const cw::BirthdayLine& birthday, const QString& line) {
    for (const QDate today : {QDate(2026, 12, 7), QDate(2028, 2, 29), QDate(2027, 3, 1), QDate(2026, 1, 1)}) {
        const cw::DaysLeft left = cw::daysLeft(birthday.month, birthday.day, today);
        if (left.days < 0 || left.days > 365)
            fail("days left out of range", line);
        if ((left.when == cw::DaysLeft::Case::Today) != (left.days == 0))
            fail("today and zero days disagree", line);
    }
}

void checkLine(const QString& line, int lineNumber) {
    cw::BirthdayLine birthday;
    try {
        birthday = cw::parseBirthdayLine(line, lineNumber);
    } catch (const cw::AppError& error) {
        if (!error.description().startsWith(QStringLiteral("Line ")))
            fail("an error that names no line", line);
        return;
    }
    // A real date in a leap year: February 29 is a birthday, February 30 and April 31 are not.
    if (!QDate(2028, birthday.month, birthday.day).isValid())
        fail("a date outside the calendar", line);
    if (birthday.name != cw::statements::trimBlanks(birthday.name))
        fail("a name with blanks at its ends", line);
    // What the export writes for this birthday reads back as the same birthday, unless the name's
    // own text after a comma reads as a date: the first comma's reading is kept for every line it
    // accepts.
    const QString written = birthday.name + QLatin1Char(',') + cw::MonthNameFromNumber(birthday.month) +
                            QLatin1Char(' ') + QString::number(birthday.day);
    try {
        const cw::BirthdayLine again = cw::parseBirthdayLine(written, lineNumber);
        const qsizetype nameComma = birthday.name.indexOf(QLatin1Char(','));
        const bool same =
            again.name == birthday.name && again.month == birthday.month && again.day == birthday.day;
        if (!same &&
            (nameComma < 0 || again.name != cw::statements::trimBlanks(birthday.name.left(nameComma))))
            fail("an exported line reads back differently", line);
    } catch (const cw::AppError&) {
        fail("an exported line does not read back", line);
    }
    // The statement quotes the name whole: every quote in it comes doubled.
    const QString statement = cw::statements::importInsert(birthday.name, birthday.month, birthday.day);
    if (statement.count(QLatin1Char('\'')) != 2 + 2 * birthday.name.count(QLatin1Char('\'')))
        fail("a name that escapes its quotes", line);
    checkDaysLeft(birthday, line);
}

// The streaming reader, a few bytes at a time, gives the lines that decoding the whole file gives.
void checkPieces(const QByteArray& bytes, const QStringList& lines) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    cw::TextLineReader reader(buffer, QStringLiteral("input"), {}, bytes.size() % 7 + 1);
    QStringList read;
    QString line;
    while (reader.readLine(line))
        read << line;
    if (read != lines || reader.lineCount() != lines.size())
        fail("the lines read in pieces differ", lines.value(0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QStringList lines = cw::splitLines(cw::decodeText(bytes));
    if (bytes.size() <= cw::TextLineReader::maxLineBytes) // a longer line ends the reading
        checkPieces(bytes, lines);
    for (qsizetype i = 0; i < lines.size(); ++i)
        checkLine(lines[i], static_cast<int>(i + 1));
    return 0;
}
