#include "startup/regstuff.h"

#include "startup/desktopentry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace cw::RegStuff {

namespace {

QString entryFileName(const QString& fileName) {
    return fileName + QStringLiteral(".desktop");
}

// A drive's root on Windows, "/" here: the folder already ends with the separator.
QString executablePath(const QString& applicationFolder, const QString& fileName) {
    if (applicationFolder.endsWith(u'/'))
        return applicationFolder + fileName;
    return applicationFolder + u'/' + fileName;
}

// QSaveFile writes a temporary file beside the entry and renames it over the old one, so a
// session starting meanwhile never reads half an entry.
bool writeEntry(const QString& folder, const QString& fileName, const QByteArray& text) {
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return false;
    const QString path = QDir(folder).filePath(entryFileName(fileName));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(text) != text.size()) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return false;
    // Every user's session reads the machine-wide folder.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    return true;
}

bool removeEntry(const QString& folder, const QString& fileName) {
    if (folder.isEmpty())
        return true;
    const QString path = QDir(folder).filePath(entryFileName(fileName));
    return !QFileInfo::exists(path) || QFile::remove(path);
}

} // namespace

bool SetRunEntry(const QString& fileName, const QString& applicationFolder, const AutostartFolders& folders) {
    if (fileName.isEmpty())
        return false;
    const QByteArray text = autostartEntryText(executablePath(applicationFolder, fileName)).toUtf8();
    return writeEntry(folders.machineWide, fileName, text) || writeEntry(folders.perUser, fileName, text);
}

bool SetRunEntry(const QString& fileName, const QString& applicationFolder) {
    return SetRunEntry(fileName, applicationFolder, autostartFolders());
}

bool DeleteRunEntry(const QString& fileName, const AutostartFolders& folders) {
    if (fileName.isEmpty())
        return false;
    const bool machineWideGone = removeEntry(folders.machineWide, fileName);
    const bool perUserGone = removeEntry(folders.perUser, fileName);
    return machineWideGone && perUserGone;
}

bool DeleteRunEntry(const QString& fileName) {
    return DeleteRunEntry(fileName, autostartFolders());
}

} // namespace cw::RegStuff
