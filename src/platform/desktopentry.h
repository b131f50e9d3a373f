#pragma once
// The text of the autostart entry that starts the program at logon.
#include <QByteArray>
#include <QString>

namespace cw {

// One Exec argument as a desktop entry file must hold it: in double quotes with the quoting
// escapes, '%' doubled, and the backslashes escaped once more for the key file itself.
QString quotedExecArgument(const QString& argument);

// The whole entry for the executable at `executablePath`, lines ending in LF; a hidden one turns
// an entry of the same name in the machine-wide folder off.
QString autostartEntryText(const QString& executablePath, bool hidden = false);

// Whether the entry's [Desktop Entry] group turns it off: Hidden=true, or X-GNOME-Autostart-enabled=false
// as GNOME's own switch writes it.
bool isEntryOff(const QByteArray& text);

} // namespace cw
