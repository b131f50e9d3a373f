#pragma once
// One sync of one source, as the runner starts it: a contacts folder or a CardDAV address book. A job
// ends once, with finished(), after recording the outcome in the store; the rows it wrote before an
// error stay, and a source that fails keeps its rows.
#include "core/addressbook/contactstore.h"
#include "store/connection.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace cw::addressbook {

class DavClient;
struct DavReply;
struct DavResponse;
struct DavTrust;

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

// Every *.vcf file directly in the folder is one contact; its ETag is its size, time and file number.
// A "displayname" file, as vdirsyncer keeps, names the book.
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
    int unread_ = 0; // cards that could not be read, the first of them named
    QString firstUnread_;
};

// Later syncs ask for what changed since the stored sync token; the first sync, and every sync of a
// server that gives no token, reads the whole listing and compares its ETags with those of the last
// sync. A server that no longer knows the token is asked for every ETag instead. Changed cards come
// in batches of addressbook-multiget. Only what lies inside the book's own collection is read.
class CardDavSync : public SyncJob {
    Q_OBJECT
  public:
    CardDavSync(const QString& storePath, qint64 sourceId, const QUrl& book, const QString& userName,
                const QString& password, const DavTrust& trust, QObject* parent = nullptr);
    ~CardDavSync() override;

  private:
    struct Listing;
    void run() override;
    void report(const QString& token);
    void compareETags();
    // Takes a listed response into the listing; false when the sync has failed.
    bool list(const DavResponse& response, Listing& listing);
    // What a whole listing says against the ETags of the last sync.
    bool compare(Listing& listing);
    // Fetches the changed hrefs, removes the gone ones and keeps the token; then `then`.
    void fetch(std::vector<QString> changed, QStringList gone, const QString& token,
               std::function<void()> then);
    void fetchBatch();
    // The path of a contact of the book named by href; nothing for one outside the book's collection.
    std::optional<QString> keyOf(const QString& href) const;
    QString hrefOf(const QString& key) const;
    bool isBook(const QString& key) const;
    // Whether a reply may be read on: false after failing the job.
    bool answered(const DavReply& reply);

    QUrl book_;
    DavClient* client_;
    std::vector<QString> pending_;
    size_t fetched_ = 0;
    size_t listed_ = 0;    // contacts listed in this sync, over every page
    bool damaged_ = false; // a card could not be read: the token stays where it was
    int pages_ = 0;        // continued sync reports
    QStringList gone_;
    QString token_;
    std::function<void()> then_;
};

} // namespace cw::addressbook
