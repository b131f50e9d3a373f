#pragma once
// Where the birthday store lives. No display is needed to find it, so the command line shares it.
#include <QString>

namespace cw {

// $CANDLEWISE_COMMON_APPDATA when set; else /var/lib when an administrator has made a writable
// /var/lib/Marrowfen for a list shared by all users; else the user's data home.
QString baseFolder();
// Where an administrator makes the maker folder for a list shared by all users.
QString sharedBaseFolder();
QString makerFolder();
QString dataFolder();
QString liveStoreFile();
QString connectionString();

} // namespace cw
