// Imports one text file into the live store and exits: a process of its own that a test can kill
// in the middle of the import. Exit code 0 when the import went through, 1 when it failed.
#include "app/apperror.h"
#include "store/connection.h"
#include "store/datafolder.h"
#include "textio/modbdays.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    try {
        cw::openSharedConnection();
        cw::ImportBirthdays(QString::fromLocal8Bit(argv[1]));
        cw::sharedConnection().Close();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
