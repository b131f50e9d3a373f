#include "gui/services/services.h"

#include "gui/tray/trayshell.h"
#include "platform/desktopnotices.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

namespace cw {

namespace {
class SystemTrayShellFactory : public TrayShellFactory {
  public:
    // Qt asks once at start whether a StatusNotifierItem host exists; the program's own item follows
    // the host as it comes, goes and comes back. X11 without a host keeps Qt's tray, which follows
    // an XEmbed tray by itself.
    std::unique_ptr<TrayShell> create() override {
        if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ||
            statusNotifierHostPresent())
            return createStatusNotifierShell();
        return createSystemTrayShell();
    }
};

// Production services come into being the first time something asks for them.
template <typename T, typename Make> T& lazily(std::unique_ptr<T>& slot, Make make) {
    if (!slot)
        slot = make();
    return *slot;
}

// The notifiers talk over the application's bus connection with its event loop: they go with the
// application, not after it (the services themselves outlive it). Registered after the bus they
// use, they go before it.
void releaseNotices() {
    Services::instance().setNotices(nullptr);
    Services::instance().setSyncNotices(nullptr);
}
void releaseNoticesWithTheApplication() {
    qRemovePostRoutine(releaseNotices);
    qAddPostRoutine(releaseNotices);
}
} // namespace

Services::Services() = default;
Services::~Services() = default;

Services& Services::instance() {
    static Services services;
    return services;
}

Clock& Services::clock() {
    return currentClock();
}
MessageService& Services::messages() {
    return lazily(messages_, createMessageBoxService);
}
FileDialogService& Services::fileDialogs() {
    return lazily(fileDialogs_, createFileDialogService);
}
Shell& Services::shell() {
    return lazily(shell_, createDesktopShell);
}
RandomSource& Services::random() {
    return lazily(random_, createSystemRandom);
}
PlayerFactory& Services::players() {
    return lazily(players_, createSoundPlayerFactory);
}
TrayShellFactory& Services::trayShells() {
    return lazily(trayShells_, [] { return std::make_unique<SystemTrayShellFactory>(); });
}
Notifier& Services::notices() {
    if (!notices_)
        setNotices(std::make_unique<DesktopNotices>());
    return *notices_;
}
Notifier& Services::syncNotices() {
    if (!syncNotices_)
        setSyncNotices(std::make_unique<DesktopNotices>());
    return *syncNotices_;
}

QString Services::applicationFilePath() const {
    if (!applicationFilePath_.isEmpty())
        return applicationFilePath_;
    return QCoreApplication::applicationFilePath();
}

QString Services::applicationFolder() const {
    return QFileInfo(applicationFilePath()).absolutePath();
}

void Services::setClock(std::unique_ptr<Clock> clock) {
    setCurrentClock(std::move(clock));
}
void Services::setMessages(std::unique_ptr<MessageService> messages) {
    messages_ = std::move(messages);
}
void Services::setFileDialogs(std::unique_ptr<FileDialogService> dialogs) {
    fileDialogs_ = std::move(dialogs);
}
void Services::setShell(std::unique_ptr<Shell> shell) {
    shell_ = std::move(shell);
}
void Services::setRandom(std::unique_ptr<RandomSource> random) {
    random_ = std::move(random);
}
void Services::setPlayers(std::unique_ptr<PlayerFactory> players) {
    players_ = std::move(players);
}
void Services::setTrayShells(std::unique_ptr<TrayShellFactory> trayShells) {
    trayShells_ = std::move(trayShells);
}
void Services::setNotices(std::unique_ptr<Notifier> notices) {
    notices_ = std::move(notices);
    if (notices_)
        releaseNoticesWithTheApplication();
}
void Services::setSyncNotices(std::unique_ptr<Notifier> notices) {
    syncNotices_ = std::move(notices);
    if (syncNotices_)
        releaseNoticesWithTheApplication();
}
void Services::setApplicationFilePath(const QString& path) {
    applicationFilePath_ = path;
}

void Services::reset() {
    setCurrentClock(nullptr);
    messages_.reset();
    fileDialogs_.reset();
    shell_.reset();
    random_.reset();
    players_.reset();
    trayShells_.reset();
    notices_.reset();
    syncNotices_.reset();
    applicationFilePath_.clear();
}

} // namespace cw
