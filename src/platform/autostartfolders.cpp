#include "platform/autostartfolders.h"

#include <QDir>
#include <QStandardPaths>

namespace cw {

AutostartFolders autostartFolders() {
    const QString overridden = qEnvironmentVariable("CANDLEWISE_AUTOSTART_DIR");
    const QString machineOverridden = qEnvironmentVariable("CANDLEWISE_MACHINE_AUTOSTART_DIR");
    if (!overridden.isEmpty())
        return {machineOverridden.isEmpty() ? overridden : machineOverridden, overridden};
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return {QStringLiteral("/etc/xdg/autostart"), QDir(configHome).filePath(QStringLiteral("autostart"))};
}

} // namespace cw
