#include "gui/importexport/importexportcommands.h"

#include "gui/importexport/workprogress.h"
#include "gui/services/errorreport.h"
#include "gui/services/pointer.h"
#include "gui/services/services.h"
#include "store/birthdaylist.h"
#include "transfer/calendarexport.h"
#include "transfer/formatimport.h"
#include "transfer/modbdays.h"

#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QWidget>

namespace cw {

namespace {
FileDialogRequest textFileRequest(const QString& presetName, const QString& otherFormats) {
    return FileDialogRequest{QStringLiteral("Save"), presetName,
                             QStringLiteral("Text Files (*.txt);;%1;;All Files (*)").arg(otherFormats),
                             QStringLiteral("Text Files (*.txt)")};
}

// The format is told by the content. The text import ends with "Done.", the others with what they
// added and skipped.
QString importFile(const QString& path, WorkProgress& progress) {
    const FileFormat format = fileFormatOf(path);
    if (format == FileFormat::Text) {
        ImportBirthdays(path, &progress);
        return QStringLiteral("Done.");
    }
    // Counted in kilobytes: an address book full of photos is large for few birthdays.
    progress.begin(QStringLiteral("Importing birthdays: %1 of %2 KB"), QFileInfo(path).size() / 1024);
    const std::optional<ImportTally> tally = importFormattedFile(
        path, format, [&progress](qint64 done, qint64) { return progress.advance(done / 1024); });
    return tally ? importSummary(*tally) : QString();
}

// The save dialog's chosen filter decides the format, and the name takes the filter's extension
// when it lacks it ("john.smith" with the calendar filter becomes "john.smith.ics"). A name ending
// in ".ics" is a calendar under any filter; with "All Files" the name alone decides.
struct ExportTarget {
    QString path;
    bool calendar = false;
};
ExportTarget exportTarget(const QString& path, const QString& chosenFilter) {
    static const QRegularExpression extensionPattern(QStringLiteral("\\*\\.(\\w+)"));
    const QString extension = extensionPattern.match(chosenFilter).captured(1);
    ExportTarget target{path, isCalendarPath(path)};
    if (extension.compare(QLatin1String("ics"), Qt::CaseInsensitive) == 0 && !target.calendar)
        target = {path + QStringLiteral(".ics"), true};
    else if (!extension.isEmpty() && QFileInfo(path).suffix().isEmpty())
        target.path = path + QLatin1Char('.') + extension;
    return target;
}

void exportFile(const ExportTarget& target, const BirthdayList& list, const std::vector<int>& reminderDays,
                WorkProgress& progress) {
    if (!target.calendar) {
        ExportBirthdays(target.path, list, &progress);
        return;
    }
    progress.begin(QStringLiteral("Exporting birthdays: row %1 of %2"), static_cast<qint64>(list.size()));
    ExportCalendar(target.path, list, reminderDays,
                   [&progress](qint64 done, qint64) { return progress.advance(done); });
}

// The window's hourglass while a command works, and the default pointer afterwards; while it
// shows, hovering the buttons leaves it alone. The window may be gone by the end: the events let
// through while the progress dialog shows can close it.
void showBusy(const QPointer<QWidget>& window, bool busy) {
    if (window)
        setMousePointer(window, busy ? vbHourglass : vbDefault);
}

void showDone() {
    showMessage(QStringLiteral("Done."));
}
} // namespace

FileDialogRequest importDialogRequest() {
    return textFileRequest(QString(), QStringLiteral("vCard Files (*.vcf *.vcard);;iCalendar Files (*.ics)"));
}
FileDialogRequest exportDialogRequest() {
    return textFileRequest(QStringLiteral("output.txt"), QStringLiteral("iCalendar Files (*.ics)"));
}

QString formatHelpText() {
    return QStringLiteral(
        "This will import/export to text files in the following format with commas (Please use "
        "English month names):\r\n\r\nArvel Quenby,April 13\r\nNim Quenby,October 18");
}

void importCommand(QWidget* window, const std::function<void()>& refillList, TimerControl* reminderTimer) {
    ErrorGuard guard(Location::Form1_PushButton8_Click);
    FileDialogRequest request;
    QString path;
    QString closing = QStringLiteral("Done.");
    const QPointer<QWidget> busyWindow(window);
    guard.step(1, [&] { request = importDialogRequest(); });
    guard.step(2, [&] { path = services().fileDialogs().getOpenFileName(window, request); });
    if (guard.test(3, [&] { return path.isEmpty(); }))
        return;
    guard.step(4, [&] { showBusy(busyWindow, true); });
    bool cancelled = false;
    {
        WorkProgress progress(window, reminderTimer);
        guard.step(5, [&] { closing = importFile(path, progress); });
        cancelled = progress.cancelled();
    }
    guard.step(6, [&] { refillList(); });
    guard.step(7, [&] { showBusy(busyWindow, false); });
    if (cancelled)
        return; // the user knows: no "Done."
    guard.step(8, [&] { showMessage(closing); });
}

void exportCommand(QWidget* window, const BirthdayList& list, const std::vector<int>& reminderDays,
                   TimerControl* reminderTimer) {
    ErrorGuard guard(Location::Form1_PushButton9_Click);
    FileDialogRequest request;
    QString path;
    QString chosenFilter;
    const QPointer<QWidget> busyWindow(window);
    guard.step(1, [&] { request = exportDialogRequest(); });
    guard.step(2, [&] { path = services().fileDialogs().getSaveFileName(window, request, chosenFilter); });
    if (guard.test(3, [&] { return path.isEmpty(); }))
        return;
    guard.step(4, [&] { showBusy(busyWindow, true); });
    bool cancelled = false;
    {
        WorkProgress progress(window, reminderTimer);
        guard.step(5, [&] { exportFile(exportTarget(path, chosenFilter), list, reminderDays, progress); });
        cancelled = progress.cancelled();
    }
    guard.step(6, [&] { showBusy(busyWindow, false); });
    if (cancelled)
        return;
    guard.step(7, [&] { showDone(); });
}

void formatHelpCommand() {
    ErrorGuard guard(Location::Form1_PushButton10_Click);
    guard.step(1, [] { showMessage(formatHelpText()); });
}

} // namespace cw
