#include "gui/tray/traydesign.h"

#include "gui/tray/programicon.h"
#include "gui/tray/propertybag.h"

namespace cw {

QString defaultTrayTip() {
    return QStringLiteral("Telnet Server");
}

QIcon designTimePicture() {
    return programIcon();
}

PropertyBag storedTrayDesign() {
    PropertyBag bag;
    bag.WriteProperty(QStringLiteral("intray"), false);
    bag.WriteProperty(QStringLiteral("trayicon"), QVariant::fromValue(designTimePicture()));
    bag.WriteProperty(QStringLiteral("traytip"), defaultTrayTip());
    // The control's box, 510 twips a side, in HIMETRIC as the host writes it.
    bag.WriteProperty(QStringLiteral("_extentx"), 900);
    bag.WriteProperty(QStringLiteral("_extenty"), 900);
    return bag;
}

} // namespace cw
