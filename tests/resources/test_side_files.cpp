#include "sidefiles.h"
#include "support/groups.h"

#include <QApplication>
#include <QTest>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    TestTune tune;
    failures += cwtest::exec(&tune, argc, argv);
    TestCursor cursor;
    failures += cwtest::exec(&cursor, argc, argv);
    TestSkin skin;
    failures += cwtest::exec(&skin, argc, argv);
    return failures;
}
