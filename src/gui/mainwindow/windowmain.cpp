// The window program: loaded by main() only when the program starts without arguments of its own.
#include "core/config.h"
#include "core/nodisplay.h"
#include "gui/mainwindow/form1.h"
#include "gui/services/services.h"
#include "gui/tray/programicon.h"
#include "platform/notifier.h"
#include "platform/singleinstance.h"
#include "platform/stopsignal.h"

#include <QApplication>

#include <cstdio>
#include <mutex>
#include <vector>

#include <unistd.h>

namespace {
// What Qt says while the application object is made is held back. A platform that cannot start ends
// Qt's start with a fatal error and a core dump; instead the program ends with 1, and where the display
// could not be reached one line says so, else Qt's own words say why.
struct HeldMessage {
    QtMsgType type;
    QByteArray file, function, category;
    int line;
    QString text;
};
QtMessageHandler qtHandler = nullptr;
std::mutex heldLock;
std::vector<HeldMessage> held;
bool displayUnreachable = false;

void pass(const HeldMessage& m) {
    qtHandler(m.type,
              QMessageLogContext(m.file.constData(), m.line, m.function.constData(), m.category.constData()),
              m.text);
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    const std::lock_guard lock(heldLock);
    // The X11 platform's words, and the Wayland client's.
    displayUnreachable = displayUnreachable || text.contains(QLatin1String("could not connect to display")) ||
                         text.contains(QLatin1String("Failed to create wl_display"));
    if (type == QtFatalMsg && displayUnreachable) {
        std::fputs(cw::noDisplayText, stderr);
        std::fflush(stderr);
        _exit(1);
    }
    held.push_back({type, context.file, context.function, context.category, context.line, text});
    if (type == QtFatalMsg) {
        for (const HeldMessage& m : held)
            pass(m);
        std::fflush(stderr);
        _exit(1);
    }
}

void passHeldMessages() {
    qInstallMessageHandler(qtHandler);
    const std::lock_guard lock(heldLock);
    for (const HeldMessage& m : held)
        pass(m);
    held.clear();
}
} // namespace

extern "C" __attribute__((visibility("default"))) int candlewiseWindowMain(int argc, char** argv) {
    qtHandler = qInstallMessageHandler(holdMessage);
    QApplication app(argc, argv);
    passHeldMessages();
    QApplication::setApplicationName(QStringLiteral("Candlewise"));
    QApplication::setOrganizationName(cw::config::makerName);
    // Every window takes the program's icon, also a message box shown when no window is active (the
    // summary of an address book's import, after its progress dialog has gone).
    QApplication::setWindowIcon(cw::programIcon());
    // The program lives in the tray: hiding the window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    cw::SingleInstance instance;
    if (!instance.becomeRunningInstance())
        return 0; // the running one comes forward
    cw::Form1 form;
    QObject::connect(&instance, &cw::SingleInstance::showRequested, &form, &cw::Form1::bringBack);
    // A session that ends closes the window the same way the close box does.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.close(); });
    // SIGTERM at log-out and the like end the session as the close box does, after any running
    // import or export has been cancelled.
    cw::StopSignal stopSignal;
    QObject::connect(&stopSignal, &cw::StopSignal::received, &form, &cw::Form1::endSession);
    form.start();
    const int status = app.exec();
    // The notification server's client goes while the bus it talks on is still there.
    cw::services().setNotices(nullptr);
    return status;
}
