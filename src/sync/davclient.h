#pragma once
// WebDAV requests as a CardDAV client sends them, every answer taken as hostile: the body is bounded
// and dropped past the bound, a multistatus is read as it arrives, an answer shorter than announced
// is no answer, every request has a timeout, redirects are followed by hand (at most five, within the
// origin the client was made for), and http:// is refused except on the loopback address or where the
// user allowed it for the book, so that a password never travels in clear unasked. Each client has its
// own network manager and offers its credentials to its own origin (scheme, host and port) alone.
#include "sync/davxml.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QSslCertificate>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace cw::addressbook {

struct DavReply {
    int status = 0;              // the HTTP status; 0 when no answer came
    QString reason;              // the status line's words
    QByteArray body;             // of an answer that was not read as a multistatus on the way
    QString error;               // plain words when no answer came (or it was refused); empty otherwise
    QUrl url;                    // where the answer came from, after redirects
    QString syncToken;           // of a multistatus read on the way
    QByteArray dav;              // the DAV header: the classes of a WebDAV server
    QSslCertificate certificate; // the server's, when it was not trusted
};

// What the user allowed for one book: http:// to its own origin, and the one certificate (PEM) its
// server may show whoever signed it, instead of one the system trusts.
struct DavTrust {
    bool allowHttp = false;
    QByteArray certificate;
};

// The SHA-256 fingerprint of a certificate, as people compare it: "AB:CD:…".
QString fingerprintOf(const QSslCertificate& certificate);

class DavClient : public QObject {
    Q_OBJECT
  public:
    static constexpr qsizetype bodyLimit = 20 << 20;   // an answer kept whole
    static constexpr qsizetype streamLimit = 96 << 20; // a multistatus read on the way
    static constexpr qsizetype cardLimit = 1 << 20;

    // The credentials go to origin's scheme, host and port alone.
    DavClient(const QUrl& origin, const QString& userName, const QString& password,
              QObject* parent = nullptr);
    using Done = std::function<void(const DavReply&)>;
    // depth < 0 sends no Depth header. With each, a 207 answer is read as it arrives and its responses
    // go to each, none kept; done then has the answer's error, if any, and its sync-token.
    void send(const QByteArray& method, const QUrl& url, const QByteArray& body, int depth, Done done,
              MultiStatusReader::Each each = {});

    void setTrust(const DavTrust& trust);
    // Why an address is not used, in words; empty when it may be. Only "localhost" and loopback
    // addresses as written count as loopback: a name may resolve elsewhere tomorrow.
    static QString refusal(const QUrl& url, bool allowHttp = false);
    static bool isLoopback(const QUrl& url);
    // The refusal under this client's trust, which allows http:// to its own origin alone.
    QString refused(const QUrl& url) const;
    // The error of a reply in words: no answer, or a status that is no success.
    static QString errorOf(const DavReply& reply);
    // What a search that found no address book says.
    static QString noBookText();
    static bool sameOrigin(const QUrl& a, const QUrl& b);

  private:
    struct Request;
    struct Transfer;
    void issue(const std::shared_ptr<Request>& request, const QUrl& url, int redirects);
    // Reads what has arrived, a piece at a time with the rest on later turns of the event loop, and
    // completes the answer once the transfer has finished and nothing is left to read.
    void pump(const std::shared_ptr<Transfer>& transfer);
    void take(Transfer& transfer);
    void certificateRefused(Transfer& transfer, const QSslCertificate& shown, const QString& why);
    void complete(const std::shared_ptr<Transfer>& transfer);

    QNetworkAccessManager manager_;
    QUrl origin_;
    QString userName_;
    QString password_;
    bool allowHttp_ = false;
    QSslCertificate pinned_;
};

} // namespace cw::addressbook
