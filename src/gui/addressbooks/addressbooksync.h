#pragma once
// The address books behind a running window. Every source syncs at start, every 15 minutes and on
// demand, without blocking the window. The list is told to refill when rows change: by a sync here,
// or by another process (a `candlewise --sync` from a timer), seen in the store file. A contacts
// folder also syncs a moment after its files change. A source that
// starts failing keeps its rows and is announced as a desktop notification, never as a box.
#include "gui/addressbooks/failingbooks.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <memory>

class QWidget;

namespace cw {

namespace addressbook {
class FolderWatch;
class SyncRunner;
} // namespace addressbook
class PasswordPrompt;

class AddressBookSync : public QObject {
    Q_OBJECT
  public:
    static constexpr int syncIntervalMs = 15 * 60 * 1000;
    static constexpr int storeWaitMs = 50;

    // Password questions open over window.
    explicit AddressBookSync(QWidget* window);
    ~AddressBookSync() override;

    // Once the store is open: every source syncs, and the timer and the watches start. A store without
    // address books is left as it is; the first source added makes their tables.
    void start();
    bool isStarted() const { return started_; }
    addressbook::SyncRunner& runner() { return *runner_; }
    PasswordPrompt& passwords() { return *passwords_; }
    // Rows were changed here, outside a sync: a source removed, a contact hidden or shown again.
    void rowsChangedHere();
    // A source was added, removed or renamed: the folders watched and the failing books follow.
    void sourcesChanged();
    // The books whose last sync failed, in one line; empty when none fails.
    QString failingSummary() const { return failing_.summary(); }

  signals:
    void listOutdated();
    // The first failure of a source since it last synced, or since the program started: it is also
    // the one failure that goes to the desktop's notifications.
    void failedAnew(qint64 sourceId, const QString& sourceName, const QString& error);
    // A book started failing, or one that failed synced or went.
    void failingChanged();

  private:
    void sourceFinished(qint64 sourceId, bool ok, const QString& error);
    void storeFileChanged();
    void followStore();
    void watchStoreFile();
    void noteFailing(const QString& summaryBefore);

    PasswordPrompt* passwords_;
    std::unique_ptr<addressbook::SyncRunner> runner_;
    addressbook::FolderWatch* folderWatch_;
    QList<qint64> watchedFolders_;
    QTimer everyQuarterHour_;
    QTimer refillSoon_;
    QTimer settle_; // a burst of writes to the store file is looked at once
    QFileSystemWatcher storeWatch_;
    qint64 seenVersion_ = -1;
    FailingBooks failing_;
    bool started_ = false;
};

} // namespace cw
