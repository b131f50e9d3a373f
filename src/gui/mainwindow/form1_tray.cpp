// Minimising hides the window in the tray with a one-time balloon; a click on the icon brings it back.
#include "gui/mainwindow/form1.h"

#include "core/config.h"
#include "gui/tray/csystray.h"

namespace cw {

namespace {
const QString balloonText = QStringLiteral("has been minimized to the system tray.\r\nClick on the blue 'M' "
                                           "icon (M for Marrowfen) to bring the software back.");
} // namespace

// Only hide where a tray can bring the window back; otherwise it stays minimised on the task bar.
void Form1::Form_Resize() {
    if (!(windowState() & Qt::WindowMinimized) || minimisedToTray_)
        return;
    if (!cSysTray1->shell().isAvailable()) {
        awaitingTray_ = true;
        return;
    }
    awaitingTray_ = false;
    // Back to normal before hiding: leaving the minimised state maps the native window again,
    // and done after hide() that would put an empty frame back on screen.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    hide();
    minimisedToTray_ = true;
    if (cSysTray1->shell().supportsMessages())
        cSysTray1->ShowBalloon(balloonText, config::productName, 5, true);
}

void Form1::minimiseToTray() {
    setWindowState(windowState() | Qt::WindowMinimized);
    Form_Resize(); // also when the window is not shown yet and no state change is delivered
}

void Form1::cSysTray1_MouseUp(int /*button*/, int /*identifier*/) {
    bringBack();
}

// A tray that appears takes a window minimised for want of one, unless the user has brought it
// up since (a Wayland compositor never says whether the window is still minimised); a tray that
// goes away gives the window hidden in it back, so it is never hidden with no way back.
void Form1::trayAvailabilityChanged(bool available) {
    if (available && awaitingTray_ && ((windowState() & Qt::WindowMinimized) || !isActiveWindow()))
        minimiseToTray();
    else if (!available && minimisedToTray_)
        bringBack();
}

// Also when the program is started a second time.
void Form1::bringBack() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    minimisedToTray_ = false;
    awaitingTray_ = false;
}

} // namespace cw
