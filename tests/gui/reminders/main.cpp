#include "gui/services/services.h"
#include "support/fakeservices.h"
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
    cw::services().setSyncNotices(std::make_unique<cwtest::FakeNotifier>());
    const QPointer<cw::Notifier> syncNotices = &cw::services().syncNotices();
    app.reset();
    if (syncNotices)
        qFatal("a desktop notifier outlived the application");
    return failures;
}
