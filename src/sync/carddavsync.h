#pragma once
#include "sync/syncjob.h"

#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>
#include <vector>

namespace cw::addressbook {

class DavClient;
struct DavReply;
struct DavResponse;
struct DavTrust;

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
