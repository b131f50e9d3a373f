#pragma once
// Where autostart entries live: the machine-wide folder, tried first, and the user's own folder.
#include <QString>

namespace cw {

struct AutostartFolders {
    QString machineWide;
    QString perUser;
};

// $CANDLEWISE_AUTOSTART_DIR stands in for both folders when set, and with it
// $CANDLEWISE_MACHINE_AUTOSTART_DIR, when set, for the machine-wide one; otherwise
// /etc/xdg/autostart and $XDG_CONFIG_HOME/autostart (~/.config/autostart).
AutostartFolders autostartFolders();

} // namespace cw
