#include "gui/tray/trayhook.h"

#include "gui/tray/trayshell.h"

namespace cw {

void TrayHook::install(TrayShell& shell, QObject* control, Report report) {
    remove();
    connection_ = QObject::connect(
        &shell, &TrayShell::callback, control,
        [report = std::move(report)](int identifier, int code) { TrayWndProc(report, identifier, code); });
}

void TrayHook::remove() {
    if (connection_)
        QObject::disconnect(connection_);
    connection_ = {};
}

void TrayHook::TrayWndProc(const Report& report, int identifier, int code) {
    report(identifier, code);
}

} // namespace cw
