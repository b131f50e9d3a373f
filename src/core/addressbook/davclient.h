#pragma once
// WebDAV requests as a CardDAV client sends them, every answer taken as hostile: the body is bounded
// and dropped past the bound, every request has a timeout, redirects are followed by hand (at most
// five, never from https to http), and http:// is refused except on the loopback address, so that a
// password never travels in clear. Each client has its own network manager, so the credentials of
// one source are never offered to another.
#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

namespace cw::addressbook {

struct DavReply {
    int status = 0; // the HTTP status; 0 when no answer came
    QString reason; // the status line's words
    QByteArray body;
    QString error; // plain words when no answer came (or it was refused); empty otherwise
    QUrl url;      // where the answer came from, after redirects
};

class DavClient : public QObject {
    Q_OBJECT
  public:
    static constexpr qsizetype bodyLimit = 20 << 20;
    static constexpr qsizetype cardLimit = 1 << 20;

    DavClient(const QString& userName, const QString& password, QObject* parent = nullptr);
    using Done = std::function<void(const DavReply&)>;
    // depth < 0 sends no Depth header.
    void send(const QByteArray& method, const QUrl& url, const QByteArray& body, int depth, Done done);

    // Why an address is not used, in words; empty when it may be.
    static QString refusal(const QUrl& url);
    // The error of a reply in words: no answer, or a status that is no success.
    static QString errorOf(const DavReply& reply);

  private:
    void issue(const QByteArray& method, const QUrl& url, const QByteArray& body, int depth, int redirects,
               Done done);

    QNetworkAccessManager manager_;
    QString userName_;
    QString password_;
};

} // namespace cw::addressbook
