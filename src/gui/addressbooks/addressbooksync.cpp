#include "gui/addressbooks/addressbooksync.h"

#include "core/apperror.h"
#include "gui/addressbooks/passwordprompt.h"
#include "gui/services/datafolder.h"
#include "gui/services/services.h"
#include "platform/settings.h"
#include "store/query.h"
#include "store/sources.h"
#include "store/storelocation.h"
#include "sync/folderwatch.h"
#include "sync/syncrunner.h"

#include <QWidget>

#include <utility>

namespace cw {

namespace {
// -1 when it cannot be read.
qint64 storeVersion() {
    Connection& connection = sharedConnection();
    if (connection.State() == 0)
        return -1;
    try {
        return dataVersion(connection);
    } catch (const AppError&) {
        return -1;
    }
}
} // namespace

AddressBookSync::AddressBookSync(QWidget* window)
    : QObject(window), passwords_(new PasswordPrompt(window, liveStoreFile(), this)),
      runner_(std::make_unique<addressbook::SyncRunner>(liveStoreFile(), passwords_)),
      folderWatch_(new addressbook::FolderWatch(this)) {
    // The window never waits for another program's hold on the store: such a sync is tried again.
    runner_->setStoreWait(storeWaitMs);
    // A large first sync changes rows slice after slice: the list follows a few times a second, not
    // after every slice, so that refilling a growing list does not hold the window.
    refillSoon_.setSingleShot(true);
    refillSoon_.setInterval(250);
    connect(runner_.get(), &addressbook::SyncRunner::rowsChanged, &refillSoon_, [this] {
        if (!refillSoon_.isActive())
            refillSoon_.start();
    });
    connect(&refillSoon_, &QTimer::timeout, this, [this] {
        seenVersion_ = storeVersion();
        emit listOutdated();
    });
    connect(runner_.get(), &addressbook::SyncRunner::sourceFinished, this, &AddressBookSync::sourceFinished);
    everyQuarterHour_.setInterval(syncIntervalMs);
    connect(&everyQuarterHour_, &QTimer::timeout, runner_.get(), &addressbook::SyncRunner::syncAll);
    settle_.setSingleShot(true);
    settle_.setInterval(500);
    connect(&settle_, &QTimer::timeout, this, &AddressBookSync::followStore);
    connect(&storeWatch_, &QFileSystemWatcher::fileChanged, this, &AddressBookSync::storeFileChanged);
    connect(folderWatch_, &addressbook::FolderWatch::changed, runner_.get(),
            &addressbook::SyncRunner::syncSource);
}

AddressBookSync::~AddressBookSync() = default;

void AddressBookSync::start() {
    if (started_)
        return;
    started_ = true;
    passwords_->moveFromAddresses(sharedConnection());
    seenVersion_ = storeVersion();
    watchStoreFile();
    sourcesChanged();
    everyQuarterHour_.start();
    runner_->syncAll();
}

void AddressBookSync::rowsChangedHere() {
    emit listOutdated();
}

void AddressBookSync::sourcesChanged() {
    const QString failingBefore = failing_.summary();
    failing_.followSources();
    noteFailing(failingBefore);
    for (const qint64 id : std::exchange(watchedFolders_, {}))
        folderWatch_->unwatch(id);
    try {
        for (const addressbook::SourceInfo& source : addressbook::listSources(sharedConnection())) {
            if (source.kind != addressbook::SourceKind::Folder)
                continue;
            folderWatch_->watch(source.id, source.location);
            watchedFolders_ << source.id;
        }
    } catch (const AppError&) {
        // no sources to watch; the next start tries again
    }
}

void AddressBookSync::sourceFinished(qint64 sourceId, bool ok, const QString& error) {
    if (runner_->isRetrying(sourceId))
        return; // the store was busy, which is no failure of the book; reading it now would wait
    const QString failingBefore = failing_.summary();
    if (ok) {
        failing_.cleared(sourceId);
        noteFailing(failingBefore);
        return;
    }
    // Every failure is looked at: the last error is the one told, and a renamed book by its new name.
    QString name;
    try {
        if (const auto source = addressbook::findSource(sharedConnection(), sourceId))
            name = source->displayName;
    } catch (const AppError&) {
    }
    if (name.isEmpty()) // a source removed while its sync ran has nothing left to announce
        return;
    if (!failing_.contains(sourceId))
        emit failedAnew(sourceId, name, error);
    failing_.failed(sourceId, name, error);
    noteFailing(failingBefore);
}

void AddressBookSync::noteFailing(const QString& summaryBefore) {
    if (failing_.summary() != summaryBefore)
        emit failingChanged();
}

void AddressBookSync::watchStoreFile() {
    const QString file = liveStoreFile();
    if (!storeWatch_.files().contains(file))
        storeWatch_.addPath(file);
}

void AddressBookSync::storeFileChanged() {
    settle_.start();
}

// Only a commit by another connection refills the list: the window's own edits refill it already.
void AddressBookSync::followStore() {
    watchStoreFile(); // a store put back from a backup is a new file to watch
    const qint64 version = storeVersion();
    if (version == seenVersion_)
        return;
    seenVersion_ = version;
    emit listOutdated();
}

} // namespace cw
