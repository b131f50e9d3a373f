#pragma once
// Runs the syncs of the subscribed address books without blocking the caller's event loop: the
// network calls are asynchronous, a folder is read in slices, and the store is written in short
// transactions. One sync of a source runs at a time; asking again while it runs does nothing.
#include "sync/davclient.h"
#include "sync/passwords.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

namespace cw::addressbook {

class SyncJob;
struct DavResponse;

class SyncRunner : public QObject {
    Q_OBJECT
  public:
    // storePath is the birthday store's file; the runner opens its own connection for each write.
    SyncRunner(const QString& storePath, PasswordSource* passwords, QObject* parent = nullptr);
    ~SyncRunner() override;

    // A source whose sync found the store held by another program is synced again this much later.
    static constexpr int busyRetryMs = 30'000;

    void syncSource(qint64 sourceId);
    void syncAll();
    bool isRunning(qint64 sourceId) const;
    bool isIdle() const;
    // How long a write waits for another program's lock on the store (a window waits briefly, so
    // that it never stops answering; the command line may wait longer).
    void setStoreWait(int milliseconds);
    // Whether the source's last sync found the store busy and is to be tried again.
    bool isRetrying(qint64 sourceId) const;

  signals:
    void progress(qint64 sourceId, int done, int total); // contacts read so far, of how many (0: unknown)
    void sourceFinished(qint64 sourceId, bool ok, const QString& error); // error in plain words
    void rowsChanged(); // rows of the birthday table were added, changed or removed
    void allFinished();

  private:
    struct Private;
    std::unique_ptr<Private> d;
    void startJob(qint64 sourceId, SyncJob* job);
    void endWithoutJob(qint64 sourceId, const QString& error);
    void retryLater(qint64 sourceId);
    void announceIdle();
};

} // namespace cw::addressbook
