#include "sync/syncjob.h"

#include "core/apperror.h"
#include "store/query.h"
#include "store/sources.h"

namespace cw::addressbook {

SyncJob::SyncJob(const QString& storePath, qint64 sourceId, QObject* parent)
    : QObject(parent), storePath_(storePath), sourceId_(sourceId) {}

SyncJob::~SyncJob() = default;

QString storeBusyText() {
    return QStringLiteral("The list was busy with another program; the sync is tried again shortly.");
}

void SyncJob::start() {
    try {
        openStore(connection_, storePath_, storeWait_);
        ensureTables(connection_);
        contacts_.emplace(connection_, sourceId_);
    } catch (const std::exception& error) {
        failOn(error);
        return;
    }
    run();
}

void SyncJob::failOn(const std::exception& error) {
    storeBusy_ = isStoreBusy(error);
    fail(storeBusy_ ? storeBusyText() : describe(error));
}

bool SyncJob::onStore(const std::function<bool(ContactStore&)>& step) {
    if (ended_)
        return false;
    try {
        if (step(*contacts_))
            emit rowsChanged();
        return true;
    } catch (const std::exception& error) {
        failOn(error);
        return false;
    }
}

void SyncJob::succeed() {
    if (onStore([](ContactStore& contacts) {
            contacts.finish(true, {});
            return false;
        })) {
        ended_ = true;
        emit finished(true, {});
    }
}

void SyncJob::fail(const QString& error) {
    if (ended_)
        return;
    ended_ = true;
    try {
        if (contacts_)
            contacts_->finish(false, error);
    } catch (const std::exception&) {
        // the store itself failed; the error below says what went wrong first
    }
    emit finished(false, error);
}

} // namespace cw::addressbook
