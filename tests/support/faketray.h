#pragma once
// A tray shell for window tests: records what the window asks of the tray and lets a test click the
// icon. Whether a tray exists at all is the test's choice.
#include "gui/services/services.h"
#include "gui/tray/trayshell.h"

#include <QList>

namespace cwtest {

struct TrayCall {
    int message;
    unsigned flags;
    QString tip;
    QString info;
    QString title;
    unsigned timeout = 0; // milliseconds, as the record carries it
};

struct TrayLog {
    QList<TrayCall> calls;
    bool available = true;
    bool messages = true;
    cw::TrayShell* current = nullptr; // the shell of the newest control
    int count(int message, unsigned flag = 0) const;
    bool iconShown() const;
    // A left click on the icon: button down and up, as the tray reports them.
    void click(int downCode = 513, int upCode = 514) const;
    void setAvailable(bool isAvailable); // a tray comes or goes, as the shell tells it
};

class FakeTrayShell : public cw::TrayShell {
  public:
    explicit FakeTrayShell(TrayLog& log) : log_(log) { log_.current = this; }
    ~FakeTrayShell() override {
        if (log_.current == this)
            log_.current = nullptr;
    }
    bool notifyIcon(int message, const cw::NotifyIconData& data) override;
    bool isAvailable() const override { return log_.available; }
    bool supportsMessages() const override { return log_.messages; }
    void report(int code) { emit callback(0, code); }
    void tellAvailability(bool available) { emit availabilityChanged(available); }

  private:
    TrayLog& log_;
};

class FakeTrayShellFactory : public cw::TrayShellFactory {
  public:
    explicit FakeTrayShellFactory(TrayLog& log) : log_(log) {}
    std::unique_ptr<cw::TrayShell> create() override { return std::make_unique<FakeTrayShell>(log_); }

  private:
    TrayLog& log_;
};

} // namespace cwtest
