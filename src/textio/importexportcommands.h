#pragma once
// The main window's import, export and format-help buttons. Each runs its steps under the error
// report and ends with "Done." even when a step failed.
#include "app/services.h"

#include <QString>

#include <functional>

class QWidget;

namespace cw {

class ListView;

// The file dialogs' settings: the import uses the open dialog, the export the save dialog.
FileDialogRequest importDialogRequest();
FileDialogRequest exportDialogRequest();
QString formatHelpText();

// PushButton8: asks for a file, imports it and refills the list through refillList.
void importCommand(QWidget* window, const std::function<void()>& refillList);
// PushButton9: asks for a file and writes the list to it.
void exportCommand(QWidget* window, const ListView& list);
// PushButton10: explains the file format.
void formatHelpCommand();

} // namespace cw
