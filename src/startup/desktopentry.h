#pragma once
// The text of the autostart entry that starts the program at logon.
#include <QString>

namespace cw {

// One Exec argument as a desktop entry file must hold it: in double quotes with the quoting
// escapes, '%' doubled, and the backslashes escaped once more for the key file itself.
QString quotedExecArgument(const QString& argument);

// The whole entry for the executable at `executablePath`, lines ending in LF.
QString autostartEntryText(const QString& executablePath);

} // namespace cw
