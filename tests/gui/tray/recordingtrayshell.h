#pragma once
// A tray shell that records every call and, like the notification area, can report a balloon's
// end a while after it was shown.
#include "gui/tray/csystray.h"
#include "gui/tray/notifyrecord.h"

#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

namespace cw::test {

struct ShellCall {
    int message;
    NotifyIconData data;
};
using ShellLog = std::vector<ShellCall>; // outlives the control that owns the shell

class RecordingTrayShell : public TrayShell {
  public:
    explicit RecordingTrayShell(std::shared_ptr<ShellLog> log) : log_(std::move(log)) {}
    bool notifyIcon(int message, const NotifyIconData& data) override {
        log_->push_back({message, data});
        if (balloonEndCode && (data.uFlags & NIF_INFO) && !fieldText(data.szInfo).isEmpty())
            QTimer::singleShot(balloonEndDelayMs, this,
                               [this, code = *balloonEndCode] { emit callback(0, code); });
        return result;
    }
    bool isAvailable() const override { return true; }
    bool supportsMessages() const override { return true; }

    std::optional<int> balloonEndCode; // when set, balloons with text end with this report
    int balloonEndDelayMs = 100;
    bool result = true;

  private:
    std::shared_ptr<ShellLog> log_;
};

// A control over a recording shell.
struct RecordedTray {
    std::shared_ptr<ShellLog> log = std::make_shared<ShellLog>();
    RecordingTrayShell* shell = new RecordingTrayShell(log);
    std::unique_ptr<cSysTray> tray = std::make_unique<cSysTray>(std::unique_ptr<TrayShell>(shell));
    const NotifyIconData& last() const { return log->back().data; }
};

// A field as the shell expects it: the text, one NUL, then blanks up to the width.
inline QString padded(const QString& text, int width) {
    return text + QChar(u'\0') + QString(width - text.size() - 1, u' ');
}

} // namespace cw::test
