#include "transfer/formatimport.h"

#include "core/apperror.h"
#include "core/statements.h"
#include "formats/icalendarformat.h"
#include "formats/textfile.h"
#include "formats/vcardreader.h"
#include "store/birthdaylist.h"
#include "store/connection.h"
#include "store/query.h"
#include "store/sharedconnection.h"

#include <QFile>
#include <QSet>

namespace cw {

namespace {
QSet<QString> birthdaysInList(Connection& connection) {
    const BirthdayList list = BirthdayList::read(connection);
    const auto number = [&](const StoredNumber& stored) { return list.stored(stored).toInt(); };
    QSet<QString> keys;
    keys.reserve(qsizetype(list.size()));
    for (size_t row = 0; row < list.size(); ++row)
        keys.insert(birthdayKey(list.person(row), number(list.month(row)), number(list.day(row)),
                                list.extras(row).kind));
    return keys;
}

// Adds the entries one by one inside the open transaction.
class Importer {
  public:
    explicit Importer(Connection& connection)
        : connection_(connection), known_(birthdaysInList(connection)) {}

    void take(const ReadEntry& entry) {
        if (!entry) {
            ++tally_.skipped;
            return;
        }
        const QString name = statements::trimBlanks(entry->name);
        const QString key = birthdayKey(name, entry->month, entry->day, entry->kind);
        if (known_.contains(key)) {
            ++tally_.known;
            return;
        }
        connection_.execute(statements::importInsert(name, entry->month, entry->day));
        if (const DateExtras extras = extrasOf(*entry); !extras.plain())
            writeDateExtras(connection_, lastInsertId(connection_), extras);
        known_.insert(key);
        ++tally_.added;
    }

    const ImportTally& tally() const { return tally_; }

  private:
    Connection& connection_;
    QSet<QString> known_;
    ImportTally tally_;
};

// False when progress cancelled the reading.
bool readInto(QFile& file, FileFormat format, Importer& importer, const FormatProgress& progress) {
    const qint64 total = file.size();
    if (format == FileFormat::VCard) {
        VCardReader reader(file);
        ReadEntry entry;
        while (reader.next(entry)) {
            for (const ReadEntry& each : reader.entries())
                importer.take(each);
            if (!progress(file.pos(), total))
                return false;
        }
    } else {
        bool cancelled = false;
        const auto keepGoing = [&] {
            cancelled = cancelled || !progress(file.pos(), total);
            return !cancelled;
        };
        // What was taken of a file that turns out unreadable is rolled back with the rest.
        readICalendar(file, keepGoing, [&importer](const ReadEntry& entry) { importer.take(entry); });
        if (cancelled)
            return false;
    }
    if (file.error() != QFile::NoError)
        throw AppError(QStringLiteral("Cannot read \"%1\": %2").arg(file.fileName(), file.errorString()));
    return true;
}

void rollback(Connection& connection) {
    try {
        connection.execute(QStringLiteral("rollback"));
    } catch (const std::exception&) {
        // The failure that brought us here is the one to report.
    }
}
} // namespace

FileFormat fileFormatOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileFormat::Text;
    // Read as the readers read it: in UTF-16 too, and with lines ended by a lone CR.
    ByteLineReader lines(file, 4096);
    QByteArray line;
    while (lines.readLine(line) && line.trimmed().isEmpty()) {
    }
    const QByteArray first = line.trimmed().toUpper();
    if (first == "BEGIN:VCARD")
        return FileFormat::VCard;
    if (first == "BEGIN:VCALENDAR")
        return FileFormat::ICalendar;
    return FileFormat::Text;
}

QString importSummary(const ImportTally& tally) {
    return QStringLiteral("Birthdays added: %1\r\nEntries without a birthday or a readable date: %2\r\n"
                          "Already in the list: %3")
        .arg(tally.added)
        .arg(tally.skipped)
        .arg(tally.known);
}

std::optional<ImportTally> importFormattedFile(const QString& path, FileFormat format,
                                               const FormatProgress& progress) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("Cannot open \"%1\": %2").arg(path, file.errorString()));
    Connection& connection = sharedConnection();
    connection.execute(QStringLiteral("begin"));
    try {
        Importer importer(connection);
        if (!readInto(file, format, importer, progress)) {
            rollback(connection);
            return std::nullopt;
        }
        connection.execute(QStringLiteral("commit"));
        return importer.tally();
    } catch (...) {
        rollback(connection);
        throw;
    }
}

} // namespace cw
