#pragma once
// One notification at a time on the desktop's notification server (org.freedesktop.Notifications):
// posted, replaced and withdrawn without ever waiting on the server, which may be missing or slow.
#include "platform/notifier.h"

namespace cw {

class DesktopNotices : public Notifier {
    Q_OBJECT
  public:
    void post(const Notice& notice) override;
    void withdraw() override;

  private slots:
    void serverActionInvoked(uint id, const QString& key);
    void serverActivationToken(uint id, const QString& token);
    void serverNotificationClosed(uint id, uint reason);

  private:
    void askCapabilities(const Notice& notice, quint64 posting);
    void send(const Notice& notice, const QStringList& capabilities, quint64 posting);
    void closeOnServer(uint id);
    void forget();
    void listen();

    quint64 posting_ = 0; // counts the posts; an answer to an older one is out of date
    uint lastId_ = 0;     // the server's id of the notice up, which the next one replaces; 0: none
    bool shown_ = false;  // the last notice is on the server and not withdrawn or dismissed
    bool listening_ = false;
};

} // namespace cw
