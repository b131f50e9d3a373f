// The one file that knows QtKeychain: the rest of the program sees only PasswordSource.
#include "store/query.h"
#include "sync/passwords.h"

#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QTimer>

#include <qt6keychain/keychain.h>

namespace cw::addressbook {

namespace {
const QString service = QStringLiteral("Candlewise");
constexpr int storeWaitMs = 200;  // the store is read for a label only: it never holds a sync up
constexpr int storeStartMs = 500; // how long a Secret Service started on demand is given to answer

// The entry of the versions before accounts, one per book.
QString keyOf(qint64 sourceId) {
    return QStringLiteral("address book %1").arg(sourceId);
}

// A job is nobody's child: the secret store answers it even after its asker has gone.
template <typename JobType> JobType* newJob(const QString& key) {
    auto* job = new JobType(service);
    job->setAutoDelete(true);
    job->setInsecureFallback(false); // never a file of ours
    job->setKey(key);
    return job;
}

// The Secret Service (GNOME Keyring, KWallet's, KeePassXC's) beside QtKeychain, for what it cannot do:
// name an entry, and say whether the store waits for the user.
QDBusMessage secretCall(const QString& path, const QString& interface, const QString& method,
                        const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.secrets"), path, interface, method);
    call.setArguments(arguments);
    call.setAutoStartService(false);
    return call;
}

void whenAnswered(QObject* context, const QDBusMessage& call,
                  const std::function<void(const QDBusMessage&)>& then) {
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, then] {
        watcher->deleteLater();
        then(watcher->reply());
    });
}

const QString servicePath = QStringLiteral("/org/freedesktop/secrets");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");

enum class StoreState { Open, Locked, NoKeyring, NotRunning };

// The default keyring: missing (the store asks for a new one at the first write), locked, or open;
// not running while no Secret Service answers (one started on demand is not there yet).
void askStoreState(QObject* context, const std::function<void(StoreState)>& then) {
    const QDBusMessage alias = secretCall(servicePath, QStringLiteral("org.freedesktop.Secret.Service"),
                                          QStringLiteral("ReadAlias"), {QStringLiteral("default")});
    whenAnswered(context, alias, [context, then](const QDBusMessage& reply) {
        const QString path = reply.arguments().value(0).value<QDBusObjectPath>().path();
        if (reply.type() != QDBusMessage::ReplyMessage || path.isEmpty())
            return then(StoreState::NotRunning);
        if (path == QLatin1String("/"))
            return then(StoreState::NoKeyring);
        const QDBusMessage locked =
            secretCall(path, properties, QStringLiteral("Get"),
                       {QStringLiteral("org.freedesktop.Secret.Collection"), QStringLiteral("Locked")});
        whenAnswered(context, locked, [then](const QDBusMessage& reply) {
            const bool isLocked = reply.arguments().value(0).value<QDBusVariant>().variant().toBool();
            then(isLocked ? StoreState::Locked : StoreState::Open);
        });
    });
}
} // namespace

KeychainPasswords::KeychainPasswords(const QString& storePath, QObject* parent)
    : PasswordSource(parent), storePath_(storePath) {
    qDBusRegisterMetaType<QMap<QString, QString>>();
}

KeychainPasswords::~KeychainPasswords() = default;

void KeychainPasswords::noteError(int error, const QString& text) {
    // An entry that is not there says the store is; a refusal says it is locked; anything else says it
    // cannot be used.
    storeLocked_ = error == QKeychain::AccessDenied || error == QKeychain::AccessDeniedByUser;
    storeMissing_ = !storeLocked_ && error != QKeychain::NoError && error != QKeychain::EntryNotFound;
    storeError_ = storeMissing_ ? text : QString();
}

void KeychainPasswords::withSources(const std::function<void(const Sources&)>& then, int triesLeft) {
    Sources books;
    try {
        Connection connection;
        openStore(connection, storePath_, storeWaitMs);
        books = listSources(connection);
    } catch (const std::exception&) {
        if (triesLeft > 1) {
            QTimer::singleShot(sourceRetryMs, this,
                               [this, then, triesLeft] { withSources(then, triesLeft - 1); });
            return;
        }
    }
    then(books);
}

void KeychainPasswords::requestPassword(qint64 sourceId, const QString& location, const QString& userName) {
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
    noteWaiting(sourceId);
    const Account account = accountOf(location, userName);
    auto* job = newJob<QKeychain::ReadPasswordJob>(account.key());
    connect(job, &QKeychain::Job::finished, this, [this, job, sourceId, account] {
        if (job->error() == QKeychain::EntryNotFound)
            readBookEntry(sourceId, account);
        else
            finishRead(sourceId, job->error(), job->errorString(), job->textData());
    });
    job->start();
}

// An account without an entry may have its book's entry of an older version: it moves to the account.
void KeychainPasswords::readBookEntry(qint64 sourceId, const Account& account) {
    auto* job = newJob<QKeychain::ReadPasswordJob>(keyOf(sourceId));
    connect(job, &QKeychain::Job::finished, this, [this, job, sourceId, account] {
        if (job->error() == QKeychain::NoError)
            writeEntry(sourceId, account, job->textData());
        finishRead(sourceId, job->error(), job->errorString(), job->textData());
    });
    job->start();
}

void KeychainPasswords::finishRead(qint64 sourceId, int error, const QString& errorText,
                                   const QString& password) {
    reading_.remove(sourceId);
    noteError(error, errorText);
    if (error == QKeychain::EntryNotFound)
        answerUnlessLocked(sourceId);
    else
        answer(sourceId, password, error == QKeychain::NoError);
}

// The answer goes to the sync that waits, if any: a late one after giving up serves the next request.
void KeychainPasswords::answer(qint64 sourceId, const QString& password, bool found) {
    stopWaiting(sourceId);
    if (QTimer* timer = giveUp_.take(sourceId)) {
        timer->deleteLater();
        emit passwordReady(sourceId, found ? password : QString(), found);
    }
}

// GNOME Keyring answers "not found" for an entry it cannot unlock when its unlock prompt cannot be
// shown: its default keyring says whether it is locked.
void KeychainPasswords::answerUnlessLocked(qint64 sourceId) {
    askStoreState(this, [this, sourceId](StoreState state) {
        storeLocked_ = state == StoreState::Locked;
        answer(sourceId, {}, false);
    });
}

// A read or a write that waits for the store's own window (an unlock, a new keyring at the first write)
// says so while it waits.
void KeychainPasswords::noteWaiting(qint64 sourceId) {
    askStoreState(this, [this, sourceId](StoreState state) {
        const bool waits =
            (reading_.contains(sourceId) && giveUp_.contains(sourceId)) || writing_.contains(sourceId);
        if (state == StoreState::Open || !waits)
            return;
        if (state == StoreState::NotRunning) { // the job itself starts it: ask again once it runs
            QTimer::singleShot(storeStartMs, this, [this, sourceId] { noteWaiting(sourceId); });
            return;
        }
        waiting_.insert(sourceId, state == StoreState::Locked
                                      ? QStringLiteral("Waiting for the secret store to be unlocked")
                                      : QStringLiteral("Waiting for the secret store to create a keyring"));
        emit waitingChanged(sourceId);
    });
}

void KeychainPasswords::stopWaiting(qint64 sourceId) {
    if (waiting_.remove(sourceId))
        emit waitingChanged(sourceId);
}

QString KeychainPasswords::waitingText(qint64 sourceId) const {
    return waiting_.value(sourceId);
}

void KeychainPasswords::savePassword(qint64 sourceId, const QString& location, const QString& userName,
                                     const QString& password) {
    writeEntry(sourceId, accountOf(location, userName), password);
}

// The books' own entries of an older version are stale once the account has one.
void KeychainPasswords::writeEntry(qint64 sourceId, const Account& account, const QString& password) {
    auto* job = newJob<QKeychain::WritePasswordJob>(account.key());
    job->setTextData(password);
    writing_.insert(sourceId);
    noteWaiting(sourceId);
    connect(job, &QKeychain::Job::finished, this, [this, job, sourceId, account] {
        writing_.remove(sourceId);
        stopWaiting(sourceId);
        noteError(job->error(), job->errorString());
        if (job->error() != QKeychain::NoError) {
            emit passwordSaved(sourceId, false);
            return;
        }
        newJob<QKeychain::DeletePasswordJob>(keyOf(sourceId))->start();
        withSources([this, sourceId, account](const Sources& all) {
            const std::vector<SourceInfo> books = booksOf(all.value_or(std::vector<SourceInfo>()), account);
            for (const SourceInfo& book : books)
                if (book.id != sourceId)
                    newJob<QKeychain::DeletePasswordJob>(keyOf(book.id))->start();
            label(account, books, [this, sourceId] { emit passwordSaved(sourceId, true); });
        });
    });
    job->start();
}

// QtKeychain labels an entry with the service's name alone (or its key): the label the user sees in
// Seahorse is set on the written item through the Secret Service, which finds it by QtKeychain's own
// attributes. Without a Secret Service (KWallet's own interface) the entry keeps its key, which names
// the account, in a folder named for the program.
void KeychainPasswords::label(const Account& account, const std::vector<SourceInfo>& books,
                              const std::function<void()>& then) {
    const QMap<QString, QString> attributes{{QStringLiteral("user"), account.key()},
                                            {QStringLiteral("server"), service}};
    const QString text = entryLabel(books, account);
    const QDBusMessage search = secretCall(servicePath, QStringLiteral("org.freedesktop.Secret.Service"),
                                           QStringLiteral("SearchItems"), {QVariant::fromValue(attributes)});
    whenAnswered(this, search, [this, text, then](const QDBusMessage& reply) {
        const auto items = qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().value(0));
        if (reply.type() != QDBusMessage::ReplyMessage || items.isEmpty())
            return then();
        const QDBusMessage set =
            secretCall(items.first().path(), properties, QStringLiteral("Set"),
                       {QStringLiteral("org.freedesktop.Secret.Item"), QStringLiteral("Label"),
                        QVariant::fromValue(QDBusVariant(text))});
        whenAnswered(this, set, [then](const QDBusMessage&) { then(); });
    });
}

void KeychainPasswords::forgetPassword(qint64 sourceId, const QString& location, const QString& userName) {
    newJob<QKeychain::DeletePasswordJob>(keyOf(sourceId))->start();
    const Account account = accountOf(location, userName);
    withSources([this, account](const Sources& all) {
        if (!all)
            return; // the other books of the account are not known: their entry stays
        const std::vector<SourceInfo> books = booksOf(*all, account);
        if (books.empty())
            newJob<QKeychain::DeletePasswordJob>(account.key())->start();
        else
            label(account, books, [] {});
    });
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
