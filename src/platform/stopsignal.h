#pragma once
// A session that ends sends SIGTERM (systemd at log-out; a Wayland session has no session
// manager protocol that Qt speaks). The signal is turned into an event of the event loop so that
// the program ends as when its window is closed: the store is closed and the tray icon removed.
#include <QObject>

class QSocketNotifier;

namespace cw {

class StopSignal : public QObject {
    Q_OBJECT
  public:
    // Catches SIGTERM, SIGINT and SIGHUP; one object per process.
    explicit StopSignal(QObject* parent = nullptr);
    ~StopSignal() override;

  signals:
    void received();

  private:
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace cw
