#pragma once
// The tray control's design-time defaults and the values the main window's design stores for it.
#include <QIcon>
#include <QString>

namespace cw {

class cSysTray;
class PropertyBag;

// The tip and picture a new control starts with.
QString defaultTrayTip();
QIcon designTimePicture();

// The main window's stored design for cSysTray1, with its keys as stored (lower case).
PropertyBag storedTrayDesign();
// Loads that design into the control, as the main window does when it is created.
void applyStoredDesign(cSysTray& tray);

} // namespace cw
