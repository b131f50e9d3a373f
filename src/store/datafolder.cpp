#include "store/datafolder.h"

#include "app/apperror.h"
#include "app/filepresence.h"
#include "app/services.h"
#include "store/connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cw {

namespace {
// The folder test: anything of that name counts as present, a plain file included.
bool isFolderPresent(const QString& path) {
    return QFileInfo::exists(path);
}

// One level, or with its missing parents for the base folder of a new account.
void makeFolder(const QString& path, bool withParents = false) {
    if (!(withParents ? QDir().mkpath(path) : QDir().mkdir(path)))
        throw AppError(QStringLiteral("Path/File access error: cannot create the folder %1").arg(path));
}
} // namespace

QString preferredSeedFile() {
    return services().applicationFolder() + QStringLiteral("/dbBirthdays.mdb");
}
QString fallbackSeedFile() {
    return services().applicationFolder() + QStringLiteral("/dbBlank.mdb");
}

void prepareMakerFolder() {
    // The per-user data home of a new account may not exist yet; the shared base always does.
    const QString base = baseFolder();
    if (!isFolderPresent(base))
        makeFolder(base, true);
    const QString maker = makerFolder();
    if (!isFolderPresent(maker))
        makeFolder(maker);
}

void prepareDataFolder() {
    const QString data = dataFolder();
    if (!isFolderPresent(data))
        makeFolder(data);
}

void prepareStoreFile() {
    const QString live = liveStoreFile();
    if (IsFilePresent(live))
        return; // an existing store is never replaced
    const QString preferred = preferredSeedFile();
    const QString seed = IsFilePresent(preferred) ? preferred : fallbackSeedFile();
    // Copy beside the target and rename, so a copy cut short never passes for a store.
    const QString partial = live + QStringLiteral(".part");
    QFile::remove(partial);
    QFile source(seed);
    if (!source.copy(partial)) {
        QFile::remove(partial);
        throw AppError(QStringLiteral("File not found: cannot copy %1 to %2 (%3)")
                           .arg(seed, live, source.errorString()));
    }
    // The seed may be installed read-only; the live store must be writable, by the group too where
    // the folder is shared.
    QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                     QFile::WriteUser | QFile::ReadGroup | QFile::ReadOther;
    if (QFileInfo(dataFolder()).permissions() & QFile::WriteGroup)
        permissions |= QFile::WriteGroup;
    QFile::setPermissions(partial, permissions);
    if (!QFile::rename(partial, live)) {
        QFile::remove(partial);
        throw AppError(QStringLiteral("Path/File access error: cannot create %1").arg(live));
    }
}

Connection& sharedConnection() {
    static Connection connection;
    return connection;
}

void openSharedConnection() {
    Connection& connection = sharedConnection();
    if (connection.State() != 0)
        connection.Close();
    connection.open(connectionString());
}

} // namespace cw
