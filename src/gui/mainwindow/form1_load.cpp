// Start-up and shutdown of the main window.
#include "gui/mainwindow/form1.h"

#include "core/config.h"
#include "core/filepresence.h"
#include "gui/addressbooks/addressbooksync.h"
#include "gui/importexport/workprogress.h"
#include "gui/services/apptitle.h"
#include "gui/services/datafolder.h"
#include "gui/services/errorreport.h"
#include "gui/services/pointer.h"
#include "gui/services/services.h"
#include "gui/services/theming.h"
#include "gui/services/timercontrol.h"
#include "gui/tray/csystray.h"
#include "gui/tray/programicon.h"
#include "store/connection.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

namespace cw {

void Form1::start() {
    Form_Load();
    // In the tray it stays, also when X11 reports the minimised state it asked for on the way there.
    if (!isMinimisedToTray()) {
        if (windowState() & Qt::WindowMinimized)
            showMinimized(); // no tray to hide in: minimised on the task bar instead
        else
            show();
    }
    // The first pass runs once the window is up, also when it starts hidden in the tray.
    QTimer::singleShot(0, this, &Form1::Form_Activate);
}

void Form1::Form_Load() {
    ErrorGuard guard(Location::Form1_Form_Load);
    guard.step(1, prepareMakerFolder);
    guard.step(1, prepareDataFolder);
    guard.step(1, prepareStoreFile);
    guard.step(2, [&] { startingUp = true; });
    guard.step(3, [&] { SkinMainWindow(this); });
    guard.step(4, openSharedConnection);
    guard.step(5, [&] { applyHandPointer(this); });
    guard.step(6, [&] { visitWebSiteSometimes(); });
    guard.step(7, [&] { setWindowTitle(config::productName); });
    guard.step(8, [&] { setWindowIcon(programIcon()); });
    guard.step(9, [&] { setApplicationTitle(deriveApplicationTitle(config::productName)); });
    guard.step(10, [&] {
        cSysTray1->setTrayTip(config::productName);
        followReminderTimes(); // and the next reminder's time, when one is set
    });
    guard.step(11, [&] { cSysTray1->setInTray(true); });
    guard.step(12, [&] { addListColumns(); });
    restoreOptions();
    if (guard.test(14, [&] { return Check8->isChecked(); }))
        guard.step(14, [&] { minimiseToTray(); });
    guard.step(15, [&] { Dinalabel = false; });
    guard.step(16, [&] { Timer1->restart(); });
    guard.step(17, [&] { setWhiteBackground(Label1); });
}

void Form1::visitWebSiteSometimes() {
    RandomSource& random = services().random();
    random.seed(static_cast<quint32>(services().clock().now().time().msecsSinceStartOfDay()));
    const int draw = static_cast<int>(random.next() * 100) + 1;
    if (draw == 7)
        services().shell().openUrl(QUrl(config::webSite));
}

void Form1::Form_Activate() {
    if (!startingUp || inListPass_ || closed_)
        return;
    ErrorGuard guard(Location::Form1_Form_Activate);
    guard.step(2, [&] { ListBirthdays(false); });
    guard.step(3, [&] { startingUp = false; });
    // The address books sync once the list is up, and only on a store that could be opened.
    if (sharedConnection().State() != 0)
        addressBooks->start();
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        // The user has the window up: a tray appearing later leaves it be.
        awaitingTray_ = awaitingTray_ && (windowState() & Qt::WindowMinimized);
        Form_Activate();
    } else if (event->type() == QEvent::WindowStateChange) {
        // Queued: showMinimized() makes the window visible again right after the state change.
        QMetaObject::invokeMethod(this, &Form1::Form_Resize, Qt::QueuedConnection);
    }
}

void Form1::Form_QueryUnload() {
    ErrorGuard guard(Location::Form1_Form_QueryUnload);
    if (guard.test(1, [] { return sharedConnection().State() != 0; }))
        guard.step(1, [] { sharedConnection().Close(); });
    guard.step(2, [&] { Timer1->setEnabled(false); });
    guard.step(3, [&] { cSysTray1->setInTray(false); });
    guard.step(4, [] {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    });
}

void Form1::endSession() {
    // The work unwinds first (its transaction rolled back, its file not put in place); the window
    // closes once the command has returned to the event loop.
    if (WorkProgress::cancelRunning()) {
        QTimer::singleShot(0, this, &Form1::endSession);
        return;
    }
    // Closing may not end the loop (a window started hidden in the tray gets no close event).
    shutDown();
    close();
    QCoreApplication::quit();
}

// The closing steps run once, however the program ends; nothing is written on the way out.
void Form1::shutDown() {
    if (closed_)
        return;
    closed_ = true;
    placeTimer_->stop();
    Form_QueryUnload();
}

void Form1::closeEvent(QCloseEvent* event) {
    // Closing never asks and cannot be cancelled; it ends the program.
    shutDown();
    event->accept();
    QCoreApplication::quit();
}

} // namespace cw
