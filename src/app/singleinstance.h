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
    // Asks a running instance to show itself; true when one answered.
    bool signalRunningInstance();
    // Becomes the running instance; a socket left behind by a crashed one is replaced.
    bool listen();
    static QString defaultSocketPath();

  signals:
    void showRequested();

  private:
    QString socketPath_;
    QLocalServer* server_ = nullptr;
};

} // namespace cw
