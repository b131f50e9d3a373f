#pragma once
// The real notification area over QSystemTrayIcon: it takes the control's records and reports
// clicks and the end of balloons back as the (identifier, code) pairs the shell sends.
#include "gui/tray/trayshell.h"

#include <QSystemTrayIcon>
#include <QTimer>

namespace cw {

class QtTrayShell : public IconTrayShell {
    Q_OBJECT
  public:
    explicit QtTrayShell(QObject* parent = nullptr);

    bool isAvailable() const override;
    bool supportsMessages() const override;

    QSystemTrayIcon& trayIcon() { return trayIcon_; }

  private:
    void apply(const NotifyIconData& data) override;
    void showIcon() override { trayIcon_.show(); }
    void hideIcon() override { trayIcon_.hide(); }
    void showMessage(const QString& title, const QString& text, int milliseconds) override;
    void onActivated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon trayIcon_;
    QTimer availabilityPoll_;
    bool available_ = false;
};

} // namespace cw
