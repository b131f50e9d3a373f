#include "startup/autostartfolders.h"

#include <QDir>
#include <QStandardPaths>

namespace cw {

AutostartFolders autostartFolders() {
    const QString overridden = qEnvironmentVariable("CANDLEWISE_AUTOSTART_DIR");
    if (!overridden.isEmpty())
        return {overridden, overridden};
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return {QStringLiteral("/etc/xdg/autostart"), QDir(configHome).filePath(QStringLiteral("autostart"))};
}

} // namespace cw
