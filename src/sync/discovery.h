#pragma once
#include "sync/davclient.h"

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

namespace cw::addressbook {

struct DavResponse;

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
