#include "support/groups.h"

#include <QApplication>
#include <QTest>

namespace cw::test {
QObject* newControlTests();
QObject* newDesignTests();
QObject* newQtTrayShellTests();
} // namespace cw::test

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    for (auto* make : {cw::test::newControlTests, cw::test::newDesignTests, cw::test::newQtTrayShellTests}) {
        std::unique_ptr<QObject> tests(make());
        failures += cwtest::exec(tests.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
