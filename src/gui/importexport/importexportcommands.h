#pragma once
// The main window's import, export and format-help buttons. Each runs its steps under the error
// report and ends with "Done." even when a step failed.
#include "gui/services/services.h"

#include <QString>

#include <functional>
#include <vector>

class QWidget;

namespace cw {

class BirthdayList;
class TimerControl;

// The file dialogs' settings: the import uses the open dialog, the export the save dialog.
FileDialogRequest importDialogRequest();
FileDialogRequest exportDialogRequest();
QString formatHelpText();

// The reminder timer, when given, is held while the progress dialog is up (no alert may open over
// it); under the file dialog and the message boxes it goes on ticking.

// PushButton8: asks for a file, imports it and refills the list through refillList.
void importCommand(QWidget* window, const std::function<void()>& refillList,
                   TimerControl* reminderTimer = nullptr);
// PushButton9: asks for a file and writes every row of the list to it, in calendar order whatever
// the find and the sort show; a calendar gets an alarm for each of reminderDays.
void exportCommand(QWidget* window, const BirthdayList& list, const std::vector<int>& reminderDays = {0},
                   TimerControl* reminderTimer = nullptr);
// PushButton10: explains the file format.
void formatHelpCommand();

} // namespace cw
