#include "textio/modbdays.h"

#include "app/apperror.h"
#include "app/listview.h"
#include "store/connection.h"
#include "store/datafolder.h"
#include "store/statements.h"
#include "textio/birthdayline.h"
#include "textio/monthnames.h"
#include "textio/textfile.h"

#include <QCoreApplication>

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

// The MonthNo cell read as an unsigned 8-bit number.
int monthNumberOfRow(const ListView& list, int row) {
    const QString text = list.subItem(row, monthNoColumn);
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
} // namespace

void ImportBirthdays(const QString& path) {
    const QStringList lines = readTextLines(path);
    Connection& connection = sharedConnection();
    // One transaction keeps a large import fast; after a crash the store holds a whole prefix of
    // the file or none of it.
    connection.execute(QStringLiteral("begin"));
    try {
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const BirthdayLine birthday = parseBirthdayLine(lines[i], static_cast<int>(i + 1));
            connection.execute(statements::importInsert(birthday.name, birthday.month, birthday.day));
        }
        connection.execute(QStringLiteral("commit"));
    } catch (const std::exception&) {
        commitSoFar(connection);
        throw;
    }
}

void ExportBirthdays(const QString& path, const ListView& list) {
    if (list.count() == 0)
        return;
    TextFileWriter writer(path);
    // The count is read on every row: the events let through may refill the list.
    for (int row = 0; row < list.count(); ++row) {
        QCoreApplication::processEvents();
        if (row >= list.count())
            break;
        writer.writeLine(list.subItem(row, personColumn) + QLatin1Char(',') +
                         MonthNameFromNumber(monthNumberOfRow(list, row)) + QLatin1Char(' ') +
                         list.subItem(row, dayColumn));
    }
    writer.commit();
}

} // namespace cw
