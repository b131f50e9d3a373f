#include "sidefiles.h"

#include <QApplication>
#include <QTest>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    TestTune tune;
    failures += QTest::qExec(&tune, argc, argv);
    TestCursor cursor;
    failures += QTest::qExec(&cursor, argc, argv);
    TestSkin skin;
    failures += QTest::qExec(&skin, argc, argv);
    return failures;
}
