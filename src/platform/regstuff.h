#pragma once
// The program's entry in the list of programs started at logon, kept as an XDG autostart file
// named after the executable's file name with ".desktop" added. The user's own entry, when there
// is one, overrides the machine-wide one; an entry holding Hidden=true, or GNOME's
// X-GNOME-Autostart-enabled=false, turns the program off.
#include "platform/autostartfolders.h"

#include <QString>

namespace cw::RegStuff {

// Puts the entry for `fileName` in `applicationFolder` in effect: machine-wide when that folder can
// be written, else through a machine-wide entry already there, else for the user alone. Throws
// AppError when none of these works. An empty file name changes nothing.
void SetRunEntry(const QString& fileName, const QString& applicationFolder);
void SetRunEntry(const QString& fileName, const QString& applicationFolder, const AutostartFolders& folders);

// Takes the entry out of effect: removed from both folders, or, where the machine-wide one may not be
// removed, hidden for the user by an entry of their own. Throws AppError when it stays in effect.
void DeleteRunEntry(const QString& fileName, const QString& applicationFolder);
void DeleteRunEntry(const QString& fileName, const QString& applicationFolder,
                    const AutostartFolders& folders);

// Whether the next logon starts the program.
bool IsRunEntryInEffect(const QString& fileName);
bool IsRunEntryInEffect(const QString& fileName, const AutostartFolders& folders);
// Whether the entry in effect is there but turned off, as the desktop's own settings may have done.
bool IsRunEntryTurnedOff(const QString& fileName);

} // namespace cw::RegStuff
