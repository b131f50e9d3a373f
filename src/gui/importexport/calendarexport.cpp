#include "gui/importexport/calendarexport.h"

#include "core/apperror.h"
#include "core/daysleft.h"
#include "core/icalendarformat.h"
#include "core/nametext.h"
#include "gui/services/listview.h"
#include "gui/services/services.h"

#include <QSaveFile>

namespace cw {

namespace {
std::vector<BirthdayRecord> rowsOf(const ListView& list) {
    std::vector<BirthdayRecord> rows;
    rows.reserve(static_cast<size_t>(list.count()));
    for (int row = 0; row < list.count(); ++row)
        rows.push_back({nameOnOneLine(list.subItem(row, personColumn)),
                        storedNumber(list.subItem(row, monthNoColumn)),
                        storedNumber(list.subItem(row, dayColumn))});
    return rows;
}
} // namespace

bool isCalendarPath(const QString& path) {
    return path.endsWith(QLatin1String(".ics"), Qt::CaseInsensitive);
}

void ExportCalendar(const QString& path, const ListView& list, const std::vector<int>& reminderDays,
                    const FormatProgress& progress) {
    if (list.count() == 0)
        return;
    // The rows are taken first: nothing that happens while the file is written can change them.
    const CalendarExport calendar{rowsOf(list), reminderDays, services().clock().now()};
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
