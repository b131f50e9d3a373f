#include "support/folders.h"

#include "core/clock.h"
#include "store/connection.h"
#include "store/sharedconnection.h"
#include "store/storelocation.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

namespace cwtest {

QString builtSideFile(const QString& name) {
    return qEnvironmentVariable("CANDLEWISE_PROGRAM_DIR") + QLatin1Char('/') + name;
}

Folders::Folders() {
    if (!dir_.isValid())
        qFatal("cannot create a temporary folder");
    for (const char* folder : {"app", "common", "config", "autostart", "home", "data", "state"})
        QDir(dir_.path()).mkpath(QLatin1String(folder));
    qputenv("CANDLEWISE_COMMON_APPDATA", path(QStringLiteral("common")).toUtf8());
    qputenv("XDG_CONFIG_HOME", path(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", path(QStringLiteral("data")).toUtf8());
    qputenv("XDG_STATE_HOME", path(QStringLiteral("state")).toUtf8());
    qputenv("HOME", path(QStringLiteral("home")).toUtf8());
    qputenv("CANDLEWISE_AUTOSTART_DIR", path(QStringLiteral("autostart")).toUtf8());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path(QStringLiteral("config")));
}

Folders::~Folders() {
    cw::sharedConnection().Close();
    cw::setCurrentClock(nullptr);
}

QString Folders::path(const QString& relative) const {
    return relative.isEmpty() ? dir_.path() : dir_.filePath(relative);
}

bool Folders::installSideFile(const QString& name) {
    const QString source = builtSideFile(name);
    const QString target = appFolder() + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::remove(target);
    return QFile::copy(source, target);
}

void Folders::openBlankStore() {
    QVERIFY(QDir().mkpath(cw::dataFolder()));
    QVERIFY2(QFile::copy(builtSideFile(QStringLiteral("dbBlank.mdb")), cw::liveStoreFile()),
             qPrintable(cw::liveStoreFile()));
    cw::openSharedConnection();
}

} // namespace cwtest
