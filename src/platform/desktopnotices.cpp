// The notification server's client. Every call is asynchronous with a time limit, so a server that is
// missing, busy or hung never holds up the caller; an answer that never comes just means no
// notification. Nothing of QtDBus is seen outside this file.
#include "platform/desktopnotices.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QVariantMap>

namespace cw {

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
constexpr int replyTimeoutMilliseconds = 5000;

QDBusMessage serverCall(const QString& method) {
    return QDBusMessage::createMethodCall(service, path, service, method);
}

QDBusConnection bus() {
    return QDBusConnection::sessionBus();
}
} // namespace

void DesktopNotices::post(const Notice& notice) {
    if (!bus().isConnected())
        return;
    listen();
    askCapabilities(notice, ++posting_);
}

void DesktopNotices::withdraw() {
    ++posting_; // a posting still under way is withdrawn when the server answers it
    if (shown_)
        closeOnServer(lastId_);
    forget();
}

// An id names this program's notice only while the notice is up on the server that gave it: once
// closed, withdrawn or replaced, or once another server owns the name, the id may be another
// program's, and is neither answered to, closed nor replaced.
void DesktopNotices::forget() {
    shown_ = false;
    lastId_ = 0;
}

// The buttons, the markup and keeping the notice depend on the server, which may have changed since
// the last notice (a desktop's server replaced by another), so each notice asks afresh.
void DesktopNotices::askCapabilities(const Notice& notice, quint64 posting) {
    auto* pending = new QDBusPendingCallWatcher(
        bus().asyncCall(serverCall(QStringLiteral("GetCapabilities")), replyTimeoutMilliseconds), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, notice, posting] {
        pending->deleteLater();
        const QDBusPendingReply<QStringList> reply = *pending;
        if (!reply.isError() && posting == posting_)
            send(notice, reply.value(), posting);
    });
}

void DesktopNotices::send(const Notice& notice, const QStringList& capabilities, quint64 posting) {
    QStringList actions;
    if (capabilities.contains(QStringLiteral("actions"))) {
        // Servers that list the actions in a menu, such as dunst, show the default one by its label.
        actions << QStringLiteral("default") << QStringLiteral("Show");
        for (const auto& [key, caption] : notice.buttons)
            actions << key << caption;
    }
    QVariantMap hints{{QStringLiteral("suppress-sound"), true}};
    if (!notice.desktopEntry.isEmpty())
        hints.insert(QStringLiteral("desktop-entry"), notice.desktopEntry);
    // A notice up until withdrawn stays when clicked: it goes with what it tells of.
    if (notice.expireMilliseconds == 0 && capabilities.contains(QStringLiteral("persistence")))
        hints.insert(QStringLiteral("resident"), true);
    // A server that reads markup would take a name such as "Tom & Jerry <3" for markup.
    const QString body =
        capabilities.contains(QStringLiteral("body-markup")) ? notice.body.toHtmlEscaped() : notice.body;
    QDBusMessage notify = serverCall(QStringLiteral("Notify"));
    notify << QCoreApplication::applicationName() << lastId_ << notice.icon << notice.summary << body
           << actions << hints << notice.expireMilliseconds;
    auto* pending = new QDBusPendingCallWatcher(bus().asyncCall(notify, replyTimeoutMilliseconds), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this, pending, posting] {
        pending->deleteLater();
        const QDBusPendingReply<uint> reply = *pending;
        if (reply.isError())
            return;
        if (posting != posting_) {                   // answered or replaced while the server took its time
            if (!shown_ || reply.value() != lastId_) // the notice up is replaced once more, not closed
                closeOnServer(reply.value());
            return;
        }
        if (shown_ && reply.value() != lastId_) // a server that did not replace it keeps the old one up
            closeOnServer(lastId_);
        lastId_ = reply.value();
        shown_ = true;
    });
}

void DesktopNotices::closeOnServer(uint id) {
    QDBusMessage close = serverCall(QStringLiteral("CloseNotification"));
    close << id;
    bus().call(close, QDBus::NoBlock);
}

void DesktopNotices::listen() {
    if (listening_)
        return;
    listening_ = true;
    auto* owner = new QDBusServiceWatcher(service, bus(), QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owner, &QDBusServiceWatcher::serviceOwnerChanged, this, &DesktopNotices::forget);
    bus().connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                  SLOT(serverActionInvoked(uint, QString)));
    bus().connect(service, path, service, QStringLiteral("ActivationToken"), this,
                  SLOT(serverActivationToken(uint, QString)));
    bus().connect(service, path, service, QStringLiteral("NotificationClosed"), this,
                  SLOT(serverNotificationClosed(uint, uint)));
}

// The server speaks for every program's notifications: only this program's shown notice counts.
void DesktopNotices::serverActionInvoked(uint id, const QString& key) {
    if (shown_ && id == lastId_)
        emit actionInvoked(key);
}

void DesktopNotices::serverActivationToken(uint id, const QString& token) {
    if (shown_ && id == lastId_)
        emit activationToken(token);
}

void DesktopNotices::serverNotificationClosed(uint id, uint /*reason*/) {
    if (shown_ && id == lastId_)
        forget();
}

} // namespace cw
