#pragma once
// The real notification area over QSystemTrayIcon: it takes the control's records and reports
// clicks and the end of balloons back as the (identifier, code) pairs the shell sends.
#include "tray/trayshell.h"

#include <QSystemTrayIcon>
#include <QTimer>

namespace cw {

class QtTrayShell : public TrayShell {
    Q_OBJECT
  public:
    explicit QtTrayShell(QObject* parent = nullptr);

    bool notifyIcon(int message, const NotifyIconData& data) override;
    bool isAvailable() const override;
    bool supportsMessages() const override;

    QSystemTrayIcon& trayIcon() { return trayIcon_; }

  private:
    void apply(const NotifyIconData& data);
    void showBalloon(const NotifyIconData& data);
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void endBalloon(int code);

    QSystemTrayIcon trayIcon_;
    QTimer balloonTimer_;
    QTimer availabilityPoll_;
    bool available_ = false;
    int identifier_ = 0;
};

} // namespace cw
