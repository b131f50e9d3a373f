#include "mainwindow/form1.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Candlewise"));
    QApplication::setOrganizationName(QStringLiteral("Marrowfen"));
    // The program lives in the tray: hiding the window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    cw::Form1 form;
    // A session that ends closes the window the same way the close box does.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &form, [&form] { form.close(); });
    form.start();
    return app.exec();
}
