// The window program: loaded by main() only when the program starts without arguments.
#include "app/config.h"
#include "app/singleinstance.h"
#include "app/stopsignal.h"
#include "mainwindow/form1.h"

#include <QApplication>

extern "C" __attribute__((visibility("default"))) int candlewiseWindowMain(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Candlewise"));
    QApplication::setOrganizationName(cw::config::makerName);
    // The program lives in the tray: hiding the window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    cw::SingleInstance instance;
    if (!instance.becomeRunningInstance())
        return 0; // the running one comes forward
    cw::Form1 form;
    QObject::connect(&instance, &cw::SingleInstance::showRequested, &form, &cw::Form1::bringBack);
    // A session that ends closes the window the same way the close box does.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.close(); });
    // Closing may not end the loop (a window started hidden in the tray was never created, so it
    // gets no close event), so the end is made explicit.
    cw::StopSignal stopSignal;
    QObject::connect(&stopSignal, &cw::StopSignal::received, &form, &cw::Form1::endSession);
    form.start();
    return app.exec();
}
