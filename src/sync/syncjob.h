#pragma once
// One sync of one source, as the runner starts it: a contacts folder or a CardDAV address book. A job
// ends once, with finished(), after recording the outcome in the store; the rows it wrote before an
// error stay, and a source that fails keeps its rows.
#include "store/connection.h"
#include "store/contactstore.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace cw::addressbook {

// What a sync says when another program held the store past the wait.
QString storeBusyText();

class SyncJob : public QObject {
    Q_OBJECT
  public:
    SyncJob(const QString& storePath, qint64 sourceId, QObject* parent = nullptr);
    ~SyncJob() override;
    // How long a write waits for another connection's lock; past it the job fails as busy.
    void setStoreWait(int milliseconds) { storeWait_ = milliseconds; }
    // The job runs on the caller's event loop; finished() may come before start() returns.
    void start();
    // Whether it ended because another program held the store.
    bool storeBusy() const { return storeBusy_; }

  signals:
    void progress(int done, int total);
    void rowsChanged();
    void finished(bool ok, const QString& error);

  protected:
    virtual void run() = 0;
    // A step on the store; false when it failed, which ends the job.
    bool onStore(const std::function<bool(ContactStore&)>& step);
    void succeed();
    void fail(const QString& error);
    bool ended() const { return ended_; }

  private:
    QString storePath_;
    qint64 sourceId_;
    Connection connection_;
    std::optional<ContactStore> contacts_;
    int storeWait_ = Connection::busyTimeoutMs;
    bool ended_ = false;
    bool storeBusy_ = false;
    void failOn(const std::exception& error);
};

} // namespace cw::addressbook
