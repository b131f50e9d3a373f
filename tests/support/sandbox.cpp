#include "support/sandbox.h"

#include "gui/services/datafolder.h"
#include "store/connection.h"
#include "support/modal.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

namespace cwtest {

QString builtSideFile(const QString& name) {
    return qEnvironmentVariable("CANDLEWISE_PROGRAM_DIR") + QLatin1Char('/') + name;
}

Sandbox::Sandbox() {
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

    auto& services = cw::services();
    services.reset();
    auto clockOwned = std::make_unique<FakeClock>();
    auto messagesOwned = std::make_unique<ScriptedMessages>();
    auto dialogsOwned = std::make_unique<ScriptedFileDialogs>();
    auto shellOwned = std::make_unique<RecordingShell>();
    auto randomOwned = std::make_unique<FakeRandom>();
    clock = clockOwned.get();
    messages = messagesOwned.get();
    fileDialogs = dialogsOwned.get();
    shell = shellOwned.get();
    random = randomOwned.get();
    services.setClock(std::move(clockOwned));
    services.setMessages(std::move(messagesOwned));
    services.setFileDialogs(std::move(dialogsOwned));
    services.setShell(std::move(shellOwned));
    services.setRandom(std::move(randomOwned));
    services.setPlayers(std::make_unique<RecordingPlayerFactory>(playerLog));
    services.setTrayShells(std::make_unique<FakeTrayShellFactory>(trayLog));
    // No notification reaches the desktop of whoever runs the tests; those that check them connect
    // to a server of their own on a bus of their own.
    services.setNotices(std::unique_ptr<cw::Notifier>(notices = new FakeNotifier));
    services.setSyncNotices(std::unique_ptr<cw::Notifier>(syncNotices = new FakeNotifier));
    // The program's own executable, as the start-up entry names it.
    const QString executable = appFolder() + QStringLiteral("/candlewise");
    QFile program(executable);
    if (program.open(QIODevice::WriteOnly))
        program.close();
    services.setApplicationFilePath(executable);
    installSideFile(QStringLiteral("dbBlank.mdb"));
}

Sandbox::~Sandbox() {
    // The test ends here: a window it waited for has had its chance to come up.
    failUnansweredModals();
    cw::sharedConnection().Close();
    cw::services().reset();
}

QString Sandbox::path(const QString& relative) const {
    return relative.isEmpty() ? dir_.path() : dir_.filePath(relative);
}

bool Sandbox::installSideFile(const QString& name) {
    const QString source = builtSideFile(name);
    const QString target = appFolder() + QLatin1Char('/') + name;
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile::remove(target);
    return QFile::copy(source, target);
}

void Sandbox::openStore() {
    cw::prepareMakerFolder();
    cw::prepareDataFolder();
    cw::prepareStoreFile();
    cw::openSharedConnection();
}

} // namespace cwtest
