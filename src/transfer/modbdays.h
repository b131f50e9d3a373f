#pragma once
// Reading birthdays from a text file into the store and writing the list out to one. Neither
// catches errors: they reach the command that called it.
#include "transfer/transferprogress.h"

#include <QString>

namespace cw {

class BirthdayList;

// Inserts one row per line of the file at path, reading it a piece at a time. A line that is not a
// birthday stops the import there with an error; the lines before it are stored. When the user
// cancels through progress, nothing of the file is stored.
void ImportBirthdays(const QString& path, TransferProgress* progress = nullptr);
// Writes the rows of list, in its order, to the file at path. The rows are taken before anything is
// written. An empty list creates or changes nothing; a failure, or a cancel through progress, leaves
// an existing file as it was.
void ExportBirthdays(const QString& path, const BirthdayList& list, TransferProgress* progress = nullptr);

} // namespace cw
