#include "support/groups.h"

#include <QApplication>
#include <QTest>

QObject* makeTestAlert();
QObject* makeTestTimer();
QObject* makeTestNewDay();

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (QObject* (*make)() : {makeTestAlert, makeTestTimer, makeTestNewDay}) {
        QObject* test = make();
        failures += cwtest::exec(test, argc, argv);
        delete test;
    }
    return failures;
}
