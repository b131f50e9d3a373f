#include "transfer/calendarexport.h"

#include "core/apperror.h"
#include "core/clock.h"
#include "core/nametext.h"
#include "formats/icalendarformat.h"
#include "store/birthdaylist.h"

#include <QSaveFile>

namespace cw {

namespace {
std::vector<BirthdayRecord> rowsOf(const BirthdayList& list) {
    std::vector<BirthdayRecord> rows;
    rows.reserve(list.size());
    for (size_t row = 0; row < list.size(); ++row) {
        const DateExtras& extras = list.extras(row);
        rows.push_back({nameOnOneLine(list.person(row)),
                        list.number(list.month(row)),
                        list.number(list.day(row)),
                        extras.year,
                        extras.kind,
                        {}});
    }
    return rows;
}
} // namespace

bool isCalendarPath(const QString& path) {
    return path.endsWith(QLatin1String(".ics"), Qt::CaseInsensitive);
}

void ExportCalendar(const QString& path, const BirthdayList& list, const std::vector<int>& reminderDays,
                    const FormatProgress& progress) {
    if (list.empty())
        return;
    // The rows are taken first: nothing that happens while the file is written can change them.
    const CalendarExport calendar{rowsOf(list), reminderDays, currentClock().now()};
    QSaveFile file(path);
    // Unbuffered: the writer has its own buffer, and a full disk's reason reaches the message.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw AppError(QStringLiteral("Cannot create \"%1\": %2").arg(path, file.errorString()));
    if (!writeICalendar(file, calendar, progress))
        return; // the file is not committed: the target stays as it was
    if (!file.commit())
        throw AppError(QStringLiteral("Cannot write \"%1\": %2").arg(path, file.errorString()));
}

} // namespace cw
