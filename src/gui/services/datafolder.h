#pragma once
// How the birthday store comes into being on the first run; the one connection of the window is the
// store's.
#include "store/sharedconnection.h"

#include <QString>

namespace cw {

QString preferredSeedFile();
QString fallbackSeedFile();

// The three preparing steps, each on its own so that a failure of one is reported and the next
// still runs. Each throws AppError. Under a shared base (/var/lib, or an overriding folder its group
// may write) the folders they create get mode 02775 and the store 0664, both with the parent's group.
void prepareMakerFolder();
void prepareDataFolder();
void prepareStoreFile();

} // namespace cw
