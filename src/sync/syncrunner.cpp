#include "sync/syncrunner.h"

#include "core/apperror.h"
#include "store/contactstore.h"
#include "store/query.h"
#include "store/sources.h"
#include "sync/carddavsync.h"
#include "sync/foldersync.h"
#include "sync/syncjob.h"

#include <QHash>
#include <QSet>
#include <QTimer>

namespace cw::addressbook {

namespace {
const QString noPassword = QStringLiteral("No password is known for this address book.");

DavTrust trustOf(const SourceInfo& source) {
    return {source.allowHttp, source.certificate};
}
} // namespace

QString PasswordSource::missingPasswordText() const {
    return noPassword;
}

QString PasswordSource::waitingText(qint64) const {
    return {};
}

struct SyncRunner::Private {
    QString storePath;
    PasswordSource* passwords;
    QHash<qint64, SyncJob*> running;    // null while the password is awaited
    QHash<qint64, SourceInfo> awaiting; // sources waiting for their password
    QSet<qint64> retrying;              // sources to sync again once the store is free
    int storeWait = Connection::busyTimeoutMs;
    bool retryingAll = false;
    bool idleAnnounced = true;
};

SyncRunner::SyncRunner(const QString& storePath, PasswordSource* passwords, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>()) {
    d->storePath = storePath;
    d->passwords = passwords;
    if (!passwords)
        return;
    connect(passwords, &PasswordSource::passwordReady, this,
            [this](qint64 sourceId, const QString& password, bool found) {
                if (!d->awaiting.contains(sourceId))
                    return;
                const SourceInfo source = d->awaiting.take(sourceId);
                if (!found)
                    endWithoutJob(sourceId, d->passwords->missingPasswordText());
                else
                    startJob(sourceId, new CardDavSync(d->storePath, sourceId, QUrl(source.location),
                                                       source.userName, password, trustOf(source), this));
            });
}

SyncRunner::~SyncRunner() = default;

bool SyncRunner::isRunning(qint64 sourceId) const {
    return d->running.contains(sourceId);
}

bool SyncRunner::isIdle() const {
    return d->running.isEmpty();
}

void SyncRunner::setStoreWait(int milliseconds) {
    d->storeWait = milliseconds;
}

bool SyncRunner::isRetrying(qint64 sourceId) const {
    return d->retrying.contains(sourceId);
}

void SyncRunner::retryLater(qint64 sourceId) {
    if (d->retrying.contains(sourceId))
        return;
    d->retrying.insert(sourceId);
    QTimer::singleShot(busyRetryMs, this, [this, sourceId] {
        if (d->retrying.remove(sourceId))
            syncSource(sourceId);
    });
}

void SyncRunner::syncAll() {
    std::vector<SourceInfo> sources;
    try {
        Connection connection;
        openStore(connection, d->storePath, d->storeWait);
        sources = listSources(connection);
    } catch (const std::exception& error) {
        // no store, no sources; a busy one is asked again
        if (isStoreBusy(error) && !d->retryingAll) {
            d->retryingAll = true;
            QTimer::singleShot(busyRetryMs, this, [this] {
                d->retryingAll = false;
                syncAll();
            });
        }
    }
    // With no source at all the run is over at once: a caller waiting for the end is told so.
    d->idleAnnounced = false;
    for (const SourceInfo& source : sources)
        syncSource(source.id);
    announceIdle();
}

void SyncRunner::syncSource(qint64 sourceId) {
    if (d->running.contains(sourceId))
        return;
    d->idleAnnounced = false;
    d->retrying.remove(sourceId); // asked for now, it needs no later turn
    std::optional<SourceInfo> source;
    try {
        Connection connection;
        openStore(connection, d->storePath, d->storeWait);
        source = findSource(connection, sourceId);
    } catch (const std::exception& error) {
        const bool busy = isStoreBusy(error);
        if (busy)
            retryLater(sourceId);
        emit sourceFinished(sourceId, false, busy ? storeBusyText() : describe(error));
        announceIdle();
        return;
    }
    if (!source) {
        emit sourceFinished(sourceId, false, QStringLiteral("The address book has been removed."));
        announceIdle();
    } else if (source->kind == SourceKind::Folder) {
        startJob(sourceId, new FolderSync(d->storePath, sourceId, source->location, this));
    } else if (source->userName.isEmpty()) { // a server that asks for no login
        startJob(sourceId, new CardDavSync(d->storePath, sourceId, QUrl(source->location), {}, {},
                                           trustOf(*source), this));
    } else if (!d->passwords) {
        d->running.insert(sourceId, nullptr);
        endWithoutJob(sourceId, noPassword);
    } else {
        d->running.insert(sourceId, nullptr);
        d->awaiting.insert(sourceId, *source);
        d->passwords->requestPassword(sourceId, source->location, source->userName);
    }
}

void SyncRunner::startJob(qint64 sourceId, SyncJob* job) {
    d->running.insert(sourceId, job);
    job->setStoreWait(d->storeWait);
    connect(job, &SyncJob::progress, this,
            [this, sourceId](int done, int total) { emit progress(sourceId, done, total); });
    connect(job, &SyncJob::rowsChanged, this, &SyncRunner::rowsChanged);
    connect(job, &SyncJob::finished, this, [this, sourceId, job](bool ok, const QString& error) {
        d->running.remove(sourceId);
        job->deleteLater();
        if (job->storeBusy())
            retryLater(sourceId);
        emit sourceFinished(sourceId, ok, error);
        announceIdle();
    });
    job->start();
}

void SyncRunner::endWithoutJob(qint64 sourceId, const QString& error) {
    try {
        recordFailure(d->storePath, sourceId, error);
    } catch (const std::exception&) {
        // the source was removed meanwhile
    }
    d->running.remove(sourceId);
    emit sourceFinished(sourceId, false, error);
    announceIdle();
}

void SyncRunner::announceIdle() {
    // Later, so that a sync that ends at once does not look like the end of all while others start.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (d->running.isEmpty() && !d->idleAnnounced) {
                d->idleAnnounced = true;
                emit allFinished();
            }
        },
        Qt::QueuedConnection);
}

} // namespace cw::addressbook
