#include "support/faketray.h"

#include "gui/tray/notifyrecord.h"

#include <QTimer>

namespace cwtest {

using cw::fieldText;

int TrayLog::count(int message, unsigned flag) const {
    int total = 0;
    for (const TrayCall& call : calls)
        total += call.message == message && (flag == 0 || (call.flags & flag)) ? 1 : 0;
    return total;
}

bool TrayLog::iconShown() const {
    return count(cw::NIM_ADD) > count(cw::NIM_DELETE);
}

void TrayLog::click(int downCode, int upCode) const {
    if (auto* shell = static_cast<FakeTrayShell*>(current)) {
        shell->report(downCode);
        shell->report(upCode);
    }
}

void TrayLog::setAvailable(bool isAvailable) {
    available = isAvailable;
    if (current)
        static_cast<FakeTrayShell*>(current)->tellAvailability(isAvailable);
}

bool FakeTrayShell::notifyIcon(int message, const cw::NotifyIconData& data) {
    log_.calls << TrayCall{
        message,      data.uFlags, fieldText(data.szTip), fieldText(data.szInfo), fieldText(data.szInfoTitle),
        data.uTimeout};
    // Like the notification area, a balloon goes away a moment later by itself.
    if ((data.uFlags & cw::NIF_INFO) && !fieldText(data.szInfo).isEmpty())
        QTimer::singleShot(50, this, [this] { report(1028); });
    return true;
}

} // namespace cwtest
