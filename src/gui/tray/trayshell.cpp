#include "gui/tray/trayshell.h"

#include "gui/tray/notifyrecord.h"

namespace cw {

namespace {
// How long a balloon without a time of its own stays, as QSystemTrayIcon::showMessage has it.
constexpr int defaultBalloonMilliseconds = 10000;
} // namespace

IconTrayShell::IconTrayShell() {
    balloonTimer_.setSingleShot(true);
    connect(&balloonTimer_, &QTimer::timeout, this, [this] { endBalloon(NIN_BALLOONTIMEOUT); });
}

bool IconTrayShell::notifyIcon(int message, const NotifyIconData& data) {
    switch (message) {
    case NIM_ADD:
        identifier_ = int(data.uID);
        apply(data);
        showIcon();
        return true;
    case NIM_MODIFY:
        apply(data);
        if (data.uFlags & NIF_INFO)
            showBalloon(data);
        return true;
    case NIM_DELETE:
        balloonTimer_.stop();
        hideIcon();
        return true;
    default:
        return false;
    }
}

void IconTrayShell::showBalloon(const NotifyIconData& data) {
    const QString text = fieldText(data.szInfo);
    if (supportsMessages() && !text.isEmpty()) {
        const int milliseconds = data.uTimeout > 0 ? int(data.uTimeout) : defaultBalloonMilliseconds;
        showMessage(fieldText(data.szInfoTitle), text, milliseconds);
        balloonTimer_.start(milliseconds);
    } else if (!balloonTimer_.isActive()) {
        // Nothing can be shown, so the balloon is gone at once; reported from the event loop, as
        // the shell reports it after the call has returned.
        QTimer::singleShot(0, this, [this] { emit callback(identifier_, NIN_BALLOONHIDE); });
    }
}

void IconTrayShell::report(int down, int up) {
    emit callback(identifier_, down);
    if (up)
        emit callback(identifier_, up);
}

void IconTrayShell::endBalloon(int code) {
    balloonTimer_.stop();
    emit callback(identifier_, code);
}

} // namespace cw
