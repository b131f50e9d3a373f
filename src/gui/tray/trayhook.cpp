#include "gui/tray/trayhook.h"

#include "gui/tray/csystray.h"
#include "gui/tray/trayshell.h"

namespace cw {

void TrayHook::install(TrayShell& shell, cSysTray& control) {
    remove();
    cSysTray* target = &control;
    // The control is the context object, so a report can never reach a control that is gone.
    connection_ =
        QObject::connect(&shell, &TrayShell::callback, &control,
                         [target](int identifier, int code) { TrayWndProc(target, identifier, code); });
}

void TrayHook::remove() {
    if (connection_)
        QObject::disconnect(connection_);
    connection_ = {};
}

void TrayHook::TrayWndProc(cSysTray* control, int identifier, int code) {
    control->report(identifier, code);
}

} // namespace cw
