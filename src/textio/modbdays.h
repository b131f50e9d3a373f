#pragma once
// Reading birthdays from a text file into the store and writing the list out to one. Neither
// catches errors: they reach the command that called it.
#include <QString>

namespace cw {

class ListView;

// Inserts one row per line of the file at path. A line that is not a birthday stops the import
// there with an error; the lines before it are stored.
void ImportBirthdays(const QString& path);
// Writes the rows of list, in its order, to the file at path. An empty list creates or changes
// nothing; a failure leaves an existing file as it was.
void ExportBirthdays(const QString& path, const ListView& list);

} // namespace cw
