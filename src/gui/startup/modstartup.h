#pragma once
// Starting the program at logon, as the "Load this software on Windows startup" option asks.
#include <QString>

namespace cw::modStartUp {

// The program's own executable (QCoreApplication::applicationFilePath()) is the one registered.
// An empty path, or one that names no file, changes nothing. Throws AppError when the entry cannot
// be put in effect, or taken out of it.
void AddToStartup(const QString& executablePath);
void RemoveFromStartup(const QString& executablePath);
// Whether the next logon starts the program; false for an empty path or one that names no file.
bool IsInStartup(const QString& executablePath);

// The same for the running program's own executable (the services' application file path).
void AddToStartup();
void RemoveFromStartup();
bool IsInStartup();
// Whether an entry for the running program is there but turned off (by the desktop's own settings).
bool IsTurnedOff();

} // namespace cw::modStartUp
