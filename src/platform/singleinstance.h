#pragma once
// One Candlewise per user session: a second start (the session's autostart plus a click in the menu)
// brings the running window forward instead of putting a second icon in the tray.
#include <QObject>
#include <QString>

class QLocalServer;

namespace cw {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    explicit SingleInstance(const QString& socketPath = defaultSocketPath(), QObject* parent = nullptr);
    // True when this start goes on as the running instance; false when a running one was found and
    // asked to show itself. Starts at the same moment take turns, so exactly one of them runs.
    bool becomeRunningInstance();
    static QString defaultSocketPath();

  signals:
    void showRequested();

  private:
    void listen();
    QString socketPath_;
    QLocalServer* server_ = nullptr;
};

} // namespace cw
