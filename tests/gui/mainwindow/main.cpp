#include "support/groups.h"

#include <QApplication>
#include <QTest>

QObject* makeTestList();
QObject* makeTestCommands();
QObject* makeTestOptions();
QObject* makeTestTray();
QObject* makeTestLook();

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (QObject* (*make)() : {makeTestList, makeTestCommands, makeTestOptions, makeTestTray, makeTestLook}) {
        QObject* test = make();
        failures += cwtest::exec(test, argc, argv);
        delete test;
    }
    return failures;
}
