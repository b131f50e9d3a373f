// Imports one text file into the live store and exits: a process of its own that a test can kill in
// the middle of the import. Exit code 0 when the import went through, 1 when it failed.
//
// With STOP_AT n, once the import has inserted its n-th row, inside its open transaction, the helper
// writes "open" to its output and waits there to be killed. CACHE_PAGES shrinks the engine's page
// cache, so that by then the transaction has already written pages into the store file.
#include "core/apperror.h"
#include "gui/services/datafolder.h"
#include "store/connection.h"
#include "transfer/modbdays.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

#include <sqlite3.h>

namespace {
long long insertsBeforeStop = 0;
sqlite3* store = nullptr;

void onRowChanged(void*, int operation, const char*, const char*, sqlite3_int64) {
    if (operation != SQLITE_INSERT || --insertsBeforeStop != 0)
        return;
    if (sqlite3_get_autocommit(store))
        return; // not inside a transaction: say nothing, so the test sees no "open"
    std::fputs("open\n", stdout);
    std::fflush(stdout);
    for (;;)
        pause();
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: %s FILE [STOP_AT [CACHE_PAGES]]\n", argv[0]);
        return 2;
    }
    try {
        cw::openSharedConnection();
        if (argc > 3)
            cw::sharedConnection().execute(
                QStringLiteral("pragma cache_size = %1").arg(QString::fromLocal8Bit(argv[3]).toInt()));
        if (argc > 2) {
            insertsBeforeStop = QString::fromLocal8Bit(argv[2]).toLongLong();
            store = cw::sharedConnection().handle();
            sqlite3_update_hook(store, onRowChanged, nullptr);
        }
        cw::ImportBirthdays(QString::fromLocal8Bit(argv[1]));
        cw::sharedConnection().Close();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
