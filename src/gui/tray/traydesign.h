#pragma once
// The tray control's design-time defaults and the values the main window's design stores for it.
#include <QIcon>
#include <QString>

namespace cw {

class PropertyBag;

// The tip and picture a new control starts with.
QString defaultTrayTip();
QIcon designTimePicture();

// The main window's stored design for cSysTray1, with its keys as stored (lower case), which the
// control reads when the window is created.
PropertyBag storedTrayDesign();

} // namespace cw
