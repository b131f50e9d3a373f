#include "tray/traytests.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    failures += cw::test::runRecordTests(argc, argv);
    failures += cw::test::runSwitchingTests(argc, argv);
    failures += cw::test::runBalloonTests(argc, argv);
    failures += cw::test::runReportTests(argc, argv);
    failures += cw::test::runPersistenceTests(argc, argv);
    failures += cw::test::runQtTrayShellTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
