#pragma once
// Importing an address book or a calendar into the store: the format is told by the file's content,
// the whole file is one transaction, and a birthday already in the list is not added again.
#include "core/birthdayrecord.h"

#include <QString>

#include <optional>

namespace cw {

enum class FileFormat { Text, VCard, ICalendar };

// BEGIN:VCARD or BEGIN:VCALENDAR on the first line that is not blank tells the format, in UTF-8 or
// in UTF-16 with a byte-order mark, whatever the line ends; anything else, a file that cannot be
// opened included, is left to the text import.
FileFormat fileFormatOf(const QString& path);

struct ImportTally {
    int added = 0;
    int skipped = 0; // entries without a birthday, a name or a readable date
    int known = 0;   // already in the list: the same name, month, day and kind
};

// The closing message of an import.
QString importSummary(const ImportTally& tally);

// Imports a vCard or iCalendar file; nothing when progress cancelled it. Nothing is stored when the
// file cannot be read, a step fails (it throws AppError) or the import is cancelled.
std::optional<ImportTally> importFormattedFile(const QString& path, FileFormat format,
                                               const FormatProgress& progress);

} // namespace cw
