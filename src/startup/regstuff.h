#pragma once
// The program's entry in the list of programs started at logon, kept as an XDG autostart file
// named after the executable's file name with ".desktop" added.
#include "startup/autostartfolders.h"

#include <QString>

namespace cw::RegStuff {

// Writes the entry for `fileName` in `applicationFolder`, machine-wide when that folder can be
// written, else for the user alone. False when no entry could be written.
bool SetRunEntry(const QString& fileName, const QString& applicationFolder);
bool SetRunEntry(const QString& fileName, const QString& applicationFolder, const AutostartFolders& folders);

// Removes the entry for `fileName` from both folders. False when one is left behind.
bool DeleteRunEntry(const QString& fileName);
bool DeleteRunEntry(const QString& fileName, const AutostartFolders& folders);

} // namespace cw::RegStuff
