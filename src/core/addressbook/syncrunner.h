#pragma once
// Runs the syncs of the subscribed address books without blocking the caller's event loop: the
// network calls are asynchronous, a folder is read in slices, and the store is written in short
// transactions. One sync of a source runs at a time; asking again while it runs does nothing.
#include "core/addressbook/davclient.h"
#include "core/addressbook/passwords.h"

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

// Adding a source: a folder is taken as it is; an address is followed to the address books it leads
// to (the address itself, /.well-known/carddav, the user's principal and its address-book home).
// An address typed without a scheme is tried over https://; when no server answers there, http:// is
// asked, with no credentials, whether a WebDAV server is behind it.
struct FoundBook {
    QUrl url;
    QString displayName;
};
class Discovery : public QObject {
    Q_OBJECT
  public:
    explicit Discovery(QObject* parent = nullptr);
    ~Discovery() override;
    void start(const QUrl& address, const QString& userName, const QString& password,
               const DavTrust& trust = {}, bool guessedScheme = false);
    // After failed(): the certificate the server showed when it was not trusted, and the http://
    // address where a WebDAV server answered when the guessed https:// had no server.
    QSslCertificate untrustedCertificate() const;
    QUrl plainAddress() const;
  signals:
    void found(const QList<cw::addressbook::FoundBook>& books);
    void failed(const QString& error); // plain words: "The server refused the user name or password." ...

  private:
    void probe(const QUrl& url);
    void list(const QUrl& home);
    void notFound();
    void fail(const DavReply& reply, const QString& error);
    // One PROPFIND of the search, its responses handed on; none when the answer said nothing.
    using Answer = std::function<void(const QUrl& here, const std::vector<DavResponse>& responses)>;
    void ask(const QUrl& url, const QByteArray& body, int depth, const Answer& then);

    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace cw::addressbook
