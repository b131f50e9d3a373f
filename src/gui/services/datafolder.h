#pragma once
// How the birthday store comes into being on the first run, and the one connection of the window.
#include <QString>

namespace cw {

class Connection;

QString preferredSeedFile();
QString fallbackSeedFile();

// The three preparing steps, each on its own so that a failure of one is reported and the next
// still runs. Each throws AppError. Under a shared base (/var/lib, or an overriding folder its group
// may write) the folders they create get mode 02775 and the store 0664, both with the parent's group.
void prepareMakerFolder();
void prepareDataFolder();
void prepareStoreFile();

// The one connection of the run.
Connection& sharedConnection();
// Closes it when open, then opens it on the live store file.
void openSharedConnection();
// The same, failing at once when another program holds the store's lock.
void openSharedConnectionWithoutWaiting();

} // namespace cw
