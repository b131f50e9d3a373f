#pragma once
// One sync of one source, as the runner starts it: a contacts folder or a CardDAV address book. A job
// ends once, with finished(), after recording the outcome in the store; the rows it wrote before an
// error stay, and a source that fails keeps its rows.
#include "core/addressbook/contactstore.h"
#include "core/connection.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace cw::addressbook {

class DavClient;
struct DavReply;
struct MultiStatus;

class SyncJob : public QObject {
    Q_OBJECT
  public:
    SyncJob(const QString& storePath, qint64 sourceId, QObject* parent = nullptr);
    ~SyncJob() override;
    // The job runs on the caller's event loop; finished() may come before start() returns.
    void start();

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
    bool ended_ = false;
};

// Every *.vcf file directly in the folder is one contact; its ETag is its size, time and file number.
class FolderSync : public SyncJob {
    Q_OBJECT
  public:
    FolderSync(const QString& storePath, qint64 sourceId, const QString& folder, QObject* parent = nullptr);

  private:
    void run() override;
    void readSlice();

    QString folder_;
    std::vector<std::pair<QString, QString>> changed_; // file name, ETag
    QStringList gone_;
    size_t next_ = 0;
};

// Later syncs ask for what changed since the stored sync token; a server without one, or one that no
// longer knows the token, has its ETags compared with those of the last sync. Changed cards come in
// batches of addressbook-multiget.
class CardDavSync : public SyncJob {
    Q_OBJECT
  public:
    CardDavSync(const QString& storePath, qint64 sourceId, const QUrl& book, const QString& userName,
                const QString& password, QObject* parent = nullptr);
    ~CardDavSync() override;

  private:
    void run() override;
    void report(const QString& token);
    void compareETags();
    // Fetches the changed hrefs, removes the gone ones and keeps the token; then `then`.
    void fetch(std::vector<QString> changed, QStringList gone, const QString& token,
               std::function<void()> then);
    void fetchBatch();
    QString keyOf(const QString& href) const;
    QString hrefOf(const QString& key) const;
    bool isBook(const QString& key) const;
    // The multistatus of a reply, or nothing after failing the job.
    std::optional<MultiStatus> readReply(const DavReply& reply);

    QUrl book_;
    DavClient* client_;
    std::vector<QString> pending_;
    size_t fetched_ = 0;
    int pages_ = 0; // continued sync reports
    QStringList gone_;
    QString token_;
    std::function<void()> then_;
};

} // namespace cw::addressbook
