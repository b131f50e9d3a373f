#include "tray/recordingtrayshell.h"

#include "tray/notifyrecord.h"

#include <QTimer>

namespace cw::test {

bool RecordingTrayShell::notifyIcon(int message, const NotifyIconData& data) {
    log_->push_back({message, data});
    const bool balloonWithText =
        message == NIM_MODIFY && (data.uFlags & NIF_INFO) && !fieldText(data.szInfo).isEmpty();
    if (balloonWithText && balloonEndCode) {
        const int code = *balloonEndCode;
        QTimer::singleShot(balloonEndDelayMs, this, [this, code] { emit callback(0, code); });
    }
    return result;
}

} // namespace cw::test
