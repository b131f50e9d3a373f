// Where the live store file is: no display is needed to find it, so the command line shares it.
#include "store/storelocation.h"
#include "core/config.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

namespace cw {

namespace {
bool isWritableFolder(const QString& path) {
    const QByteArray native = QFile::encodeName(path);
    return QFileInfo(path).isDir() && ::access(native.constData(), W_OK | X_OK) == 0;
}

} // namespace

QString sharedBaseFolder() {
    return QStringLiteral("/var/lib");
}

QString baseFolder() {
    const QString fromEnvironment = qEnvironmentVariable("CANDLEWISE_COMMON_APPDATA");
    if (!fromEnvironment.isEmpty())
        return QDir::cleanPath(fromEnvironment);
    if (isWritableFolder(sharedBaseFolder() + QLatin1Char('/') + config::makerName))
        return sharedBaseFolder();
    return QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString makerFolder() {
    return baseFolder() + QLatin1Char('/') + config::makerName;
}
QString dataFolder() {
    return makerFolder() + QLatin1Char('/') + config::productName;
}
QString liveStoreFile() {
    return dataFolder() + QStringLiteral("/dbData.mdb");
}
QString connectionString() {
    QString path = liveStoreFile();
    // A folder name holding ';' or starting with a quote would cut the value short: quote it.
    if (path.contains(QLatin1Char(';')) || path.startsWith(QLatin1Char('"')) ||
        path.startsWith(QLatin1Char('\'')))
        path = QLatin1Char('"') + path.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source= ") + path;
}

} // namespace cw
