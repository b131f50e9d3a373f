#include "platform/regstuff.h"

#include "core/apperror.h"
#include "platform/desktopentry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace cw::RegStuff {

namespace {

QString entryPath(const QString& folder, const QString& fileName) {
    return QDir(folder).filePath(fileName + QStringLiteral(".desktop"));
}

// A drive's root on Windows, "/" here: the folder already ends with the separator.
QString executablePath(const QString& applicationFolder, const QString& fileName) {
    if (applicationFolder.endsWith(u'/'))
        return applicationFolder + fileName;
    return applicationFolder + u'/' + fileName;
}

// QSaveFile writes a temporary file beside the entry and renames it over the old one, so a
// session starting meanwhile never reads half an entry. Returns why it failed, or nothing.
QString writeEntry(const QString& folder, const QString& fileName, const QByteArray& text) {
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return QStringLiteral("cannot create the folder %1").arg(folder);
    const QString path = entryPath(folder, fileName);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return QStringLiteral("cannot write %1 (%2)").arg(path, file.errorString());
    // Every user's session reads the machine-wide folder.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return {};
}

QString removeEntry(const QString& folder, const QString& fileName) {
    QFile file(entryPath(folder, fileName));
    if (folder.isEmpty() || !file.exists() || file.remove())
        return {};
    return QStringLiteral("cannot remove %1 (%2)").arg(file.fileName(), file.errorString());
}

// The entry at `path` starts the program: it is there and not turned off.
bool startsProgram(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && !isEntryOff(file.readAll());
}

// The user's own entry overrides the machine-wide one.
QString entryInEffect(const QString& fileName, const AutostartFolders& folders) {
    const QString perUser = entryPath(folders.perUser, fileName);
    return QFileInfo::exists(perUser) ? perUser : entryPath(folders.machineWide, fileName);
}

[[noreturn]] void fail(QStringList reasons) {
    reasons.removeDuplicates();
    throw AppError(QStringLiteral("The start-up entry was not changed: ") +
                   reasons.join(QStringLiteral("; ")));
}

} // namespace

void SetRunEntry(const QString& fileName, const QString& applicationFolder, const AutostartFolders& folders) {
    if (fileName.isEmpty())
        return;
    const QByteArray text = autostartEntryText(executablePath(applicationFolder, fileName)).toUtf8();
    const bool oneFolder = folders.machineWide == folders.perUser;
    const QString machineWideFailure = writeEntry(folders.machineWide, fileName, text);
    // A user's own entry would override the machine-wide one, a hidden one turning it off.
    if (!oneFolder &&
        (machineWideFailure.isEmpty() || startsProgram(entryPath(folders.machineWide, fileName)))) {
        const QString failure = removeEntry(folders.perUser, fileName);
        if (!failure.isEmpty())
            fail({failure});
        return;
    }
    if (machineWideFailure.isEmpty())
        return;
    const QString perUserFailure =
        oneFolder ? machineWideFailure : writeEntry(folders.perUser, fileName, text);
    if (!perUserFailure.isEmpty())
        fail({machineWideFailure, perUserFailure});
}

void SetRunEntry(const QString& fileName, const QString& applicationFolder) {
    SetRunEntry(fileName, applicationFolder, autostartFolders());
}

void DeleteRunEntry(const QString& fileName, const QString& applicationFolder,
                    const AutostartFolders& folders) {
    if (fileName.isEmpty())
        return;
    const QString machineWideFailure = removeEntry(folders.machineWide, fileName);
    if (folders.machineWide == folders.perUser || machineWideFailure.isEmpty()) {
        const QString failure =
            machineWideFailure.isEmpty() ? removeEntry(folders.perUser, fileName) : machineWideFailure;
        if (!failure.isEmpty())
            fail({failure});
        return;
    }
    // The freedesktop way to turn a machine-wide entry off for one user.
    const QByteArray hidden = autostartEntryText(executablePath(applicationFolder, fileName), true).toUtf8();
    const QString perUserFailure = writeEntry(folders.perUser, fileName, hidden);
    if (!perUserFailure.isEmpty())
        fail({machineWideFailure, perUserFailure});
}

void DeleteRunEntry(const QString& fileName, const QString& applicationFolder) {
    DeleteRunEntry(fileName, applicationFolder, autostartFolders());
}

bool IsRunEntryInEffect(const QString& fileName, const AutostartFolders& folders) {
    return !fileName.isEmpty() && startsProgram(entryInEffect(fileName, folders));
}

bool IsRunEntryInEffect(const QString& fileName) {
    return IsRunEntryInEffect(fileName, autostartFolders());
}

bool IsRunEntryTurnedOff(const QString& fileName) {
    QFile file(entryInEffect(fileName, autostartFolders()));
    return !fileName.isEmpty() && file.open(QIODevice::ReadOnly) && isEntryOff(file.readAll());
}

} // namespace cw::RegStuff
