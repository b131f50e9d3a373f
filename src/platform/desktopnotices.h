#pragma once
// One notification at a time on the desktop's notification server (org.freedesktop.Notifications):
// posted, replaced and withdrawn without ever waiting on the server, which may be missing or slow.
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <utility>

namespace cw {

struct Notice {
    QString summary;
    QString body;
    QString icon;         // an icon theme name
    QString desktopEntry; // the program's .desktop file, without ".desktop"
    // Action key and caption of each button; shown only where the server offers buttons.
    QList<std::pair<QString, QString>> buttons;
};

class DesktopNotices : public QObject {
    Q_OBJECT
  public:
    // NoBus talks to no server at all, as on a desktop without one.
    enum class Bus { Session, NoBus };
    explicit DesktopNotices(Bus bus = Bus::Session, int timeoutMilliseconds = 5000);
    ~DesktopNotices() override;

    // Shows the notice in place of the last one posted. Returns at once; the server answers later.
    void post(const Notice& notice);
    // Takes the notice back, also one whose posting the server has not answered yet.
    void withdraw();

  signals:
    // "default" for a click on the notification itself, otherwise the button's key.
    void actionInvoked(const QString& key);
    // A token the server hands over with an action, for the window to ask the compositor for
    // activation (xdg-activation on Wayland).
    void activationToken(const QString& token);

  private slots:
    void serverActionInvoked(uint id, const QString& key);
    void serverActivationToken(uint id, const QString& token);
    void serverNotificationClosed(uint id, uint reason);

  private:
    class Connection;
    void askCapabilities(const Notice& notice, quint64 posting);
    void send(const Notice& notice, const QStringList& capabilities, quint64 posting);
    void closeOnServer(uint id);
    void forget();
    void listen();

    std::unique_ptr<Connection> bus_;
    int timeout_;
    quint64 posting_ = 0; // counts the posts; an answer to an older one is out of date
    uint lastId_ = 0;     // the server's id of the notice up, which the next one replaces; 0: none
    bool shown_ = false;  // the last notice is on the server and not withdrawn or dismissed
    bool listening_ = false;
};

} // namespace cw
