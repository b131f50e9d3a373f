#include "gui/services/services.h"
#include "platform/desktopnotices.h"
#include "support/groups.h"

#include <QApplication>
#include <QTest>

QObject* makeTestAlert();
QObject* makeTestTimer();
QObject* makeTestNewDay();

int main(int argc, char** argv) {
    auto app = std::make_unique<QApplication>(argc, argv);
    int failures = 0;
    for (QObject* (*make)() : {makeTestAlert, makeTestTimer, makeTestNewDay}) {
        QObject* test = make();
        failures += cwtest::exec(test, argc, argv);
        delete test;
    }
    cw::services().setSyncNotices(std::make_unique<cw::DesktopNotices>(cw::DesktopNotices::Bus::NoBus));
    const QPointer<cw::DesktopNotices> syncNotices = &cw::services().syncNotices();
    app.reset();
    if (syncNotices)
        qFatal("a desktop notifier outlived the application");
    return failures;
}
