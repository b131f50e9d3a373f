#pragma once
#include <QObject>

namespace cwtest {

// QTest::qExec, but an exception that a test function does not catch fails that function alone: the
// functions after it still run, and so do the test objects after this one. (QtTest itself throws it
// on, which ends the whole program there.)
int exec(QObject* test, int argc, char** argv);

} // namespace cwtest
