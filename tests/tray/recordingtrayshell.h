#pragma once
// A tray shell that records every call it gets and can report a balloon's end a while later, as
// the notification area does.
#include "tray/trayshell.h"

#include <memory>
#include <optional>
#include <vector>

namespace cw::test {

struct ShellCall {
    int message;
    NotifyIconData data;
};

// Outlives the control that owns the shell, so a test can look at the calls of a destroyed control.
using ShellLog = std::vector<ShellCall>;

class RecordingTrayShell : public TrayShell {
    Q_OBJECT
  public:
    explicit RecordingTrayShell(std::shared_ptr<ShellLog> log) : log_(std::move(log)) {}

    bool notifyIcon(int message, const NotifyIconData& data) override;
    bool isAvailable() const override { return true; }
    bool supportsMessages() const override { return true; }

    // When set, every balloon with text is reported gone with this code after the delay.
    std::optional<int> balloonEndCode;
    int balloonEndDelayMs = 100;
    bool result = true;

  private:
    std::shared_ptr<ShellLog> log_;
};

} // namespace cw::test
