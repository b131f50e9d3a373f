#pragma once
// The main of each reminder test: its test functions, then the services' desktop notifier, which must
// go with the application.
#include <QTest>

#include <functional>

namespace remindertest {

int exec(int argc, char** argv, const std::function<int()>& runTests);

} // namespace remindertest

#define CW_REMINDER_TEST_MAIN(TestObject)                                                                    \
    int main(int argc, char** argv) {                                                                        \
        return remindertest::exec(argc, argv, [&] {                                                          \
            TestObject test;                                                                                 \
            return QTest::qExec(&test, argc, argv);                                                          \
        });                                                                                                  \
    }
