#include "transfer/modbdays.h"

#include "core/apperror.h"
#include "core/nametext.h"
#include "core/statements.h"
#include "formats/birthdayline.h"
#include "formats/textfile.h"
#include "store/birthdaylist.h"
#include "store/connection.h"
#include "store/query.h"
#include "store/sharedconnection.h"

#include <algorithm>
#include <vector>

namespace cw {

namespace {
// Keeps what was inserted so far: the store then holds the lines before the failure and no open
// transaction blocks the next statement.
void commitSoFar(Connection& connection) {
    try {
        connection.execute(QStringLiteral("commit"));
    } catch (const std::exception&) {
        try {
            connection.execute(QStringLiteral("rollback"));
        } catch (const std::exception&) {
            // The failure that brought us here is the one to report.
        }
    }
}

// The stored month read as an unsigned 8-bit number.
int monthNumberOfRow(const BirthdayList& list, size_t row) {
    const StoredNumber& month = list.month(row);
    if (month.whole && month.value >= 0 && month.value <= 12)
        return static_cast<int>(month.value);
    const QString text = list.text(month);
    // Plain digits, as the list writes them, are read at once.
    if (!text.isEmpty() && text.size() <= 2 &&
        std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit() && c.unicode() < 0x80; }))
        return text.size() == 1 ? text[0].unicode() - '0'
                                : (text[0].unicode() - '0') * 10 + text[1].unicode() - '0';
    bool ok = false;
    const int number = statements::trimBlanks(text).toInt(&ok, 10);
    if (!ok)
        throw AppError(QStringLiteral("The month number \"%1\" of row %2 is not a number.")
                           .arg(text, QString::number(row + 1)));
    if (number < 0 || number > 255)
        throw AppError(QStringLiteral("The month number %1 of row %2 is out of range.")
                           .arg(QString::number(number), QString::number(row + 1)));
    return number;
}

std::vector<BirthdayLineText> takeRows(const BirthdayList& list) {
    std::vector<BirthdayLineText> rows;
    rows.reserve(list.size());
    for (size_t row = 0; row < list.size(); ++row) {
        const int month = monthNumberOfRow(list, row);
        const DateExtras& extras = list.extras(row);
        rows.push_back(
            birthdayLineText(list.person(row), month, list.text(list.day(row)), extras.year, extras.kind));
    }
    return rows;
}
} // namespace

void ImportBirthdays(const QString& path, TransferProgress* progress) {
    TransferProgress unseen;
    TransferProgress& work = progress ? *progress : unseen;
    work.begin(QStringLiteral("Reading the file: %1 lines"), 0);
    TextLineReader reader(path, [&work](qint64 counted) { return work.advance(counted); });
    if (work.cancelled())
        return;
    work.begin(QStringLiteral("Importing birthdays: line %1 of %2"), reader.lineCount());
    Connection& connection = sharedConnection();
    Query insert(connection, statements::importInsertWithParameters().toUtf8());
    // One transaction keeps a large import fast, and a cancel or a crash leaves none of the file.
    connection.execute(QStringLiteral("begin"));
    bool cancelled = false;
    try {
        QString line;
        for (qint64 number = 1; !cancelled && reader.readLine(line); ++number) {
            if (reader.lineCut())
                rejectLongLine(line, number);
            const BirthdayLine birthday = parseBirthdayLine(line, number);
            insert.bind(1, statements::trimBlanks(nameOnOneLine(birthday.name)));
            insert.bind(2, birthday.month);
            insert.bind(3, birthday.day);
            insert.run();
            if (const DateExtras extras{birthday.year, birthday.kind, {}}; !extras.plain())
                writeDateExtras(connection, lastInsertId(connection), extras);
            cancelled = !work.advance(number);
        }
        if (!cancelled)
            connection.execute(QStringLiteral("commit"));
    } catch (const std::exception&) {
        commitSoFar(connection);
        throw;
    }
    if (cancelled)
        connection.execute(QStringLiteral("rollback"));
}

void ExportBirthdays(const QString& path, const BirthdayList& list, TransferProgress* progress) {
    // Taken first: whatever happens to the list while the file is written, the file holds the list
    // as it was when the export began.
    const std::vector<BirthdayLineText> rows = takeRows(list);
    if (rows.empty())
        return;
    TransferProgress unseen;
    TransferProgress& work = progress ? *progress : unseen;
    work.begin(QStringLiteral("Exporting birthdays: row %1 of %2"), static_cast<qint64>(rows.size()));
    TextFileWriter writer(path);
    qint64 written = 0;
    for (const BirthdayLineText& row : rows) {
        writeBirthdayLine(writer, row);
        if (!work.advance(++written))
            return; // the writer goes without putting its file in place
    }
    writer.commit();
}

} // namespace cw
