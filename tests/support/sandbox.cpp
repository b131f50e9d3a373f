#include "support/sandbox.h"

#include "gui/services/datafolder.h"
#include "store/connection.h"
#include "support/modal.h"

#include <QFile>

namespace cwtest {

Sandbox::Sandbox() {
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

void Sandbox::openStore() {
    cw::prepareMakerFolder();
    cw::prepareDataFolder();
    cw::prepareStoreFile();
    cw::openSharedConnection();
}

} // namespace cwtest
