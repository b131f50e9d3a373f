#include "support/groups.h"

#include <QApplication>
#include <QTest>

QObject* makeTestKilledImport();
QObject* makeTestStoreFaults();
QObject* makeTestFullExport();
QObject* makeTestNames();
QObject* makeTestGarbageSettings();

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (QObject* (*make)() : {makeTestKilledImport, makeTestStoreFaults, makeTestFullExport, makeTestNames,
                               makeTestGarbageSettings}) {
        QObject* test = make();
        failures += cwtest::exec(test, argc, argv);
        delete test;
    }
    return failures;
}
