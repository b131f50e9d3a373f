// The one file that knows QtKeychain: the rest of the program sees only PasswordSource.
#include "core/addressbook/passwords.h"

#include <qt6keychain/keychain.h>

namespace cw::addressbook {

namespace {
const QString service = QStringLiteral("Candlewise");

QString keyOf(qint64 sourceId) {
    return QStringLiteral("address book %1").arg(sourceId);
}

// A job is nobody's child: the secret store answers it even after its asker has gone.
template <typename JobType> JobType* newJob(qint64 sourceId) {
    auto* job = new JobType(service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false); // never a file of ours
    job->setKey(keyOf(sourceId));
    return job;
}
} // namespace

KeychainPasswords::KeychainPasswords(QObject* parent) : PasswordSource(parent) {}

KeychainPasswords::~KeychainPasswords() = default;

void KeychainPasswords::noteError(int error, const QString& text) {
    // An entry that is not there says the store is; anything else says it cannot be used.
    storeMissing_ = error != QKeychain::NoError && error != QKeychain::EntryNotFound;
    storeError_ = storeMissing_ ? text : QString();
}

void KeychainPasswords::requestPassword(qint64 sourceId, const QString&, const QString&) {
    auto* job = newJob<QKeychain::ReadPasswordJob>(sourceId);
    connect(job, &QKeychain::Job::finished, this, [this, job, sourceId] {
        noteError(job->error(), job->errorString());
        const bool found = job->error() == QKeychain::NoError;
        emit passwordReady(sourceId, found ? job->textData() : QString(), found);
    });
    job->start();
}

void KeychainPasswords::savePassword(qint64 sourceId, const QString&, const QString& password) {
    auto* job = newJob<QKeychain::WritePasswordJob>(sourceId);
    job->setTextData(password);
    connect(job, &QKeychain::Job::finished, this, [this, job, sourceId] {
        noteError(job->error(), job->errorString());
        emit passwordSaved(sourceId, job->error() == QKeychain::NoError);
    });
    job->start();
}

void KeychainPasswords::forgetPassword(qint64 sourceId) {
    newJob<QKeychain::DeletePasswordJob>(sourceId)->start();
}

bool KeychainPasswords::secretStoreMissing() const {
    return storeMissing_;
}

QString KeychainPasswords::missingPasswordText() const {
    if (storeMissing_)
        return QStringLiteral("No password: the desktop's secret store cannot be used (%1).")
            .arg(storeError_);
    return PasswordSource::missingPasswordText();
}

} // namespace cw::addressbook
