// The address-book sync of the command line, a module of its own: the network, the secret store and
// their libraries are loaded only for --sync.
#include "core/apperror.h"
#include "core/nametext.h"
#include "store/connection.h"
#include "store/query.h"
#include "store/sources.h"
#include "store/storelocation.h"
#include "sync/addresscredentials.h"
#include "sync/syncrunner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMap>
#include <QTextStream>

#include <optional>
#include <vector>

using namespace cw;

// Syncs every address book once. The one path of the command line that writes the store: each write
// is a short transaction that waits for the window's own, and the window's list follows the file.
extern "C" __attribute__((visibility("default"))) int candlewiseSyncMain(QTextStream& err) {
    // The secret store and the network need an event loop; a caller may have its own application.
    std::optional<QCoreApplication> application;
    static int argc = 1;
    static char name[] = "candlewise";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        application.emplace(argc, argv);
    addressbook::KeychainPasswords passwords(liveStoreFile());
    std::vector<addressbook::SourceInfo> sources;
    try {
        Connection connection;
        openStore(connection, liveStoreFile());
        // The secret store takes them before the syncs read them: its jobs run in turn.
        for (const auto& [sourceId, location, userName, password] :
             addressbook::takeCredentialsFromAddresses(connection))
            passwords.savePassword(sourceId, location, userName, password);
        sources = addressbook::listSources(connection);
    } catch (const std::exception& error) {
        err << "candlewise: " << nameOnOneLine(describe(error)) << '\n';
        return 1;
    }
    addressbook::SyncRunner runner(liveStoreFile(), &passwords);
    QEventLoop loop;
    QMap<qint64, QString> failures; // told in the order of the sources, whichever ends first
    QObject::connect(&runner, &addressbook::SyncRunner::sourceFinished, &loop,
                     [&](qint64 sourceId, bool ok, const QString& error) {
                         if (ok)
                             return;
                         QString source = QString::number(sourceId);
                         for (const addressbook::SourceInfo& info : sources)
                             if (info.id == sourceId)
                                 source = info.displayName.isEmpty() ? info.location : info.displayName;
                         failures.insert(sourceId, source + QStringLiteral(": ") + error);
                     });
    QObject::connect(&runner, &addressbook::SyncRunner::allFinished, &loop, &QEventLoop::quit);
    runner.syncAll();
    loop.exec();
    for (const QString& failure : std::as_const(failures))
        err << "candlewise: " << nameOnOneLine(failure) << '\n';
    return failures.isEmpty() ? 0 : 1;
}
