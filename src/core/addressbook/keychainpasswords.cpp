// The one file that knows QtKeychain: the rest of the program sees only PasswordSource.
#include "core/addressbook/passwords.h"

#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QTimer>

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
    // An entry that is not there says the store is; a refusal says it is locked; anything else says it
    // cannot be used.
    storeLocked_ = error == QKeychain::AccessDenied || error == QKeychain::AccessDeniedByUser;
    storeMissing_ = !storeLocked_ && error != QKeychain::NoError && error != QKeychain::EntryNotFound;
    storeError_ = storeMissing_ ? text : QString();
}

void KeychainPasswords::requestPassword(qint64 sourceId, const QString&, const QString&) {
    QTimer*& timer = giveUp_[sourceId];
    if (!timer) {
        timer = new QTimer(this);
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, sourceId] {
            noteError(QKeychain::AccessDenied, {}); // waiting for an unlock nobody gives
            answer(sourceId, {}, false);
        });
    }
    timer->start(answerWithinMs);
    if (reading_.contains(sourceId))
        return; // another job would only queue behind the one that waits
    reading_.insert(sourceId);
    auto* job = newJob<QKeychain::ReadPasswordJob>(sourceId);
    connect(job, &QKeychain::Job::finished, this, [this, job, sourceId] {
        reading_.remove(sourceId);
        noteError(job->error(), job->errorString());
        if (job->error() == QKeychain::EntryNotFound)
            answerUnlessLocked(sourceId);
        else
            answer(sourceId, job->textData(), job->error() == QKeychain::NoError);
    });
    job->start();
}

// The answer goes to the sync that waits, if any: a late one after giving up serves the next request.
void KeychainPasswords::answer(qint64 sourceId, const QString& password, bool found) {
    if (QTimer* timer = giveUp_.take(sourceId)) {
        timer->deleteLater();
        emit passwordReady(sourceId, found ? password : QString(), found);
    }
}

// GNOME Keyring answers "not found" for an entry it cannot unlock when its unlock prompt cannot be
// shown: its default collection says whether it is locked.
void KeychainPasswords::answerUnlessLocked(qint64 sourceId) {
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets/aliases/default"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    ask << QStringLiteral("org.freedesktop.Secret.Collection") << QStringLiteral("Locked");
    ask.setAutoStartService(false);
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, sourceId] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusVariant> locked = *watcher;
        storeLocked_ = !locked.isError() && locked.value().variant().toBool();
        answer(sourceId, {}, false);
    });
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
    if (storeLocked_)
        return QStringLiteral("The secret store is locked.");
    if (storeMissing_)
        return QStringLiteral("No password: the desktop's secret store cannot be used (%1).")
            .arg(storeError_);
    return PasswordSource::missingPasswordText();
}

} // namespace cw::addressbook
