#include "gui/services/datafolder.h"
#include "store/storelocation.h"

#include "core/apperror.h"
#include "core/filepresence.h"
#include "gui/services/services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace cw {

namespace {
// The folder test: anything of that name counts as present, a plain file included.
bool isFolderPresent(const QString& path) {
    return QFileInfo::exists(path);
}

// A base folder shared by the users of the machine: the one an administrator made under /var/lib,
// or the overriding folder when its group may write it.
bool isSharedBase(const QString& base) {
    if (!qEnvironmentVariableIsEmpty("CANDLEWISE_COMMON_APPDATA"))
        return QFileInfo(base).permissions().testFlag(QFile::WriteGroup);
    return base == sharedBaseFolder();
}

gid_t groupOf(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_gid : gid_t(-1);
}

// Under a shared base every user of the group must be able to write what the program creates,
// whatever the creator's umask: the parent's group, group write and, on folders, the setgid bit,
// so that what is made inside later keeps that group too.
void shareWithGroup(const QString& path, const QString& parent, mode_t mode) {
    const QByteArray native = QFile::encodeName(path);
    if (::chown(native.constData(), uid_t(-1), groupOf(parent)) != 0 ||
        ::chmod(native.constData(), mode) != 0)
        throw AppError(QStringLiteral("Permission denied: cannot share %1 with the group of %2 (%3)")
                           .arg(path, parent, QString::fromLocal8Bit(std::strerror(errno))));
}

// One level, or with its missing parents for the base folder of a new account.
void makeFolder(const QString& path, bool withParents = false) {
    if (!(withParents ? QDir().mkpath(path) : QDir().mkdir(path)))
        throw AppError(QStringLiteral("Path/File access error: cannot create the folder %1").arg(path));
    if (!withParents && isSharedBase(baseFolder()))
        shareWithGroup(path, QFileInfo(path).path(), 02775);
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
    // The seed may be installed read-only; the live store must be writable.
    QFile::setPermissions(partial, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser |
                                       QFile::ReadGroup | QFile::ReadOther);
    if (!QFile::rename(partial, live)) {
        QFile::remove(partial);
        throw AppError(QStringLiteral("Path/File access error: cannot create %1").arg(live));
    }
    if (isSharedBase(baseFolder()))
        shareWithGroup(live, dataFolder(), 0664);
}

} // namespace cw
