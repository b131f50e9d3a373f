#pragma once
// Starting the program at logon, as the "Load this software on Windows startup" option asks.
#include <QString>

namespace cw::modStartUp {

// The program's own executable (QCoreApplication::applicationFilePath()) is the one registered.
// An empty path, or one that names no file, changes nothing. Failures are silent; the result
// only says whether the entry was written or removed.
bool AddToStartup(const QString& executablePath);
bool RemoveFromStartup(const QString& executablePath);

// The same for the running program's own executable (the services' application file path).
bool AddToStartup();
bool RemoveFromStartup();

} // namespace cw::modStartUp
