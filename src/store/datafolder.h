#pragma once
// Where the birthday store lives and how it comes into being on the first run.
#include <QString>

namespace cw {

class Connection;

// $CANDLEWISE_COMMON_APPDATA when set; else /var/lib when an administrator has made a writable
// /var/lib/Marrowfen for a list shared by all users; else the user's data home.
QString baseFolder();
// Where an administrator makes the maker folder for a list shared by all users.
QString sharedBaseFolder();
QString makerFolder();
QString dataFolder();
QString liveStoreFile();
QString preferredSeedFile();
QString fallbackSeedFile();
QString connectionString();

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
