#include "sync/davclient.h"
#include "sync/account.h"

#include <QAuthenticator>
#include <QHostAddress>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslError>
#include <QTimer>

#include <memory>

namespace cw::addressbook {

namespace {
constexpr int maxRedirects = 5;
// No byte for this long ends the request (a server reading a large book afresh may think for a
// while); so does a whole request taking longer than the second.
constexpr int idleTimeoutMs = 60'000;
constexpr int requestTimeoutMs = 300'000;

QString hostOf(const QUrl& url) {
    return url.port() > 0 ? url.host() + QLatin1Char(':') + QString::number(url.port()) : url.host();
}

// Read no more than this at once, so that no step of a large answer holds the caller's event loop.
constexpr qint64 readBufferSize = 256 << 10;

// A transfer error after the status line, or fewer bytes than the headers announced.
bool cutShort(QNetworkReply* reply, qint64 received) {
    const QNetworkReply::NetworkError error = reply->error();
    if ((error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied) ||
        error == QNetworkReply::ProtocolFailure)
        return true;
    bool announced = false;
    const qint64 length = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&announced);
    return announced && received < length;
}

QString networkError(const QUrl& url, QNetworkReply* reply, bool tooLarge, bool timedOut,
                     const QString& certificateError) {
    if (tooLarge)
        return QStringLiteral("The server's answer is too large.");
    if (!certificateError.isEmpty())
        return certificateError;
    if (timedOut || reply->error() == QNetworkReply::OperationCanceledError)
        return QStringLiteral("Cannot reach %1: the server did not answer in time.").arg(hostOf(url));
    if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 0)
        return QStringLiteral("The server's answer was cut short.");
    return QStringLiteral("Cannot reach %1: %2").arg(hostOf(url), reply->errorString());
}
} // namespace

struct DavClient::Request {
    QByteArray method;
    QByteArray body;
    int depth;
    Done done;
    MultiStatusReader::Each each;
};

struct DavClient::Transfer {
    std::shared_ptr<Request> request;
    QNetworkReply* reply;
    QUrl url;
    int redirects;
    QByteArray body;
    std::unique_ptr<MultiStatusReader> reader; // for a 207 answer read on the way
    qint64 received = 0;
    bool tooLarge = false;
    bool timedOut = false;
    bool unread = false;   // the reader refused the answer
    bool finished = false; // the reply has all it will get
    bool pumping = false;  // a later piece is on its way
    bool completed = false;
    QString certificateError;    // in words, when the server's certificate was refused
    QSslCertificate certificate; // the one refused
    bool stopped() const { return tooLarge || unread || timedOut; }
};

DavClient::DavClient(const QUrl& origin, const QString& userName, const QString& password, QObject* parent)
    : QObject(parent), origin_(origin), userName_(userName), password_(password) {
    manager_.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    // The credentials are offered once for each request, and to the client's own origin alone: asked
    // again, they were refused.
    connect(&manager_, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply* reply, QAuthenticator* authenticator) {
                if (reply->property("cwOffered").toBool() || userName_.isEmpty() ||
                    !sameOrigin(reply->url(), origin_))
                    return;
                reply->setProperty("cwOffered", true);
                authenticator->setUser(userName_);
                authenticator->setPassword(password_);
            });
}

QString fingerprintOf(const QSslCertificate& certificate) {
    return QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

void DavClient::setTrust(const DavTrust& trust) {
    allowHttp_ = trust.allowHttp;
    pinned_ = trust.certificate.isEmpty() ? QSslCertificate() : QSslCertificate(trust.certificate);
}

bool DavClient::sameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 && portOf(a) == portOf(b);
}

bool DavClient::isLoopback(const QUrl& url) {
    const QString host = url.host().toLower();
    return host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
}

QString DavClient::refused(const QUrl& url) const {
    return refusal(url, allowHttp_ && sameOrigin(url, origin_));
}

QString DavClient::refusal(const QUrl& url, bool allowHttp) {
    if (!url.isValid() || url.host().isEmpty())
        return QStringLiteral("This is not a web address: %1").arg(url.toDisplayString());
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return {};
    if (scheme == QLatin1String("http") && (allowHttp || isLoopback(url)))
        return {};
    return QStringLiteral(
               "Only https:// addresses are accepted, so that the password never travels in clear: %1")
        .arg(url.toDisplayString(QUrl::RemoveUserInfo));
}

QString DavClient::noBookText() {
    return QStringLiteral("No address book was found at this address.");
}

QString DavClient::errorOf(const DavReply& reply) {
    if (!reply.error.isEmpty())
        return reply.error;
    if (reply.status >= 200 && reply.status < 300)
        return {};
    if (reply.status == 401)
        return QStringLiteral("The server refused the user name or password.");
    if (reply.status == 403)
        return QStringLiteral("The server refused access to %1.")
            .arg(reply.url.toDisplayString(QUrl::RemoveUserInfo));
    if (reply.status == 404 || reply.status == 405)
        return noBookText();
    return QStringLiteral("The server answered with an error: %1 %2")
        .arg(reply.status)
        .arg(reply.reason.left(200));
}

void DavClient::send(const QByteArray& method, const QUrl& url, const QByteArray& body, int depth, Done done,
                     MultiStatusReader::Each each) {
    issue(std::make_shared<Request>(Request{method, body, depth, std::move(done), std::move(each)}), url, 0);
}

void DavClient::issue(const std::shared_ptr<Request>& asked, const QUrl& url, int redirects) {
    if (const QString refusedWhy = refused(url); !refusedWhy.isEmpty()) {
        DavReply refusedReply;
        refusedReply.error = refusedWhy;
        refusedReply.url = url;
        asked->done(refusedReply);
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(idleTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/xml; charset=utf-8"));
    request.setRawHeader("Accept", "application/xml, text/xml");
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("Candlewise/" CANDLEWISE_VERSION));
    if (asked->depth >= 0)
        request.setRawHeader("Depth", QByteArray::number(asked->depth));
    QNetworkReply* reply = manager_.sendCustomRequest(request, asked->method, asked->body);
    reply->setReadBufferSize(readBufferSize);
    auto transfer = std::make_shared<Transfer>();
    transfer->request = asked;
    transfer->reply = reply;
    transfer->url = url;
    transfer->redirects = redirects;
    connect(reply, &QNetworkReply::readyRead, this, [this, transfer] { pump(transfer); });
    // A pinned certificate stands for the book's server whatever signed it, and no other does.
    connect(reply, &QNetworkReply::sslErrors, this, [this, reply, transfer](const QList<QSslError>& errors) {
        const QSslCertificate shown = reply->sslConfiguration().peerCertificate();
        if (!pinned_.isNull() && shown == pinned_ && sameOrigin(reply->url(), origin_)) {
            reply->ignoreSslErrors(errors);
            return;
        }
        certificateRefused(*transfer, shown, errors.value(0).errorString());
    });
    connect(reply, &QNetworkReply::encrypted, this, [this, reply, transfer] {
        const QSslCertificate shown = reply->sslConfiguration().peerCertificate();
        if (!pinned_.isNull() && shown != pinned_) {
            certificateRefused(*transfer, shown, {});
            reply->abort();
        }
    });
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, [reply, transfer] {
        transfer->timedOut = true;
        reply->abort();
    });
    deadline->start(requestTimeoutMs);
    connect(reply, &QNetworkReply::finished, this, [this, transfer] {
        transfer->finished = true;
        pump(transfer);
    });
}

void DavClient::certificateRefused(Transfer& transfer, const QSslCertificate& shown, const QString& why) {
    transfer.certificate = shown;
    transfer.certificateError =
        pinned_.isNull()
            ? QStringLiteral("The server's certificate is not trusted: %1").arg(why)
            : QStringLiteral("The server's certificate has changed since you trusted it; its SHA-256 "
                             "fingerprint is now %1. If you trust the new certificate, remove the address "
                             "book and add it again.")
                  .arg(fingerprintOf(shown));
}

void DavClient::pump(const std::shared_ptr<Transfer>& transfer) {
    if (transfer->pumping || transfer->completed)
        return;
    take(*transfer);
    if (!transfer->stopped() && transfer->reply->isOpen() && transfer->reply->bytesAvailable() > 0) {
        transfer->pumping = true;
        QTimer::singleShot(0, transfer->reply, [this, transfer] {
            transfer->pumping = false;
            pump(transfer);
        });
    } else if (transfer->finished) {
        complete(transfer);
    }
}

// A multistatus goes to its reader, anything else is kept up to the bound.
void DavClient::take(Transfer& transfer) {
    QNetworkReply* reply = transfer.reply;
    if (transfer.stopped() || !reply->isOpen())
        return;
    const QByteArray bytes = reply->read(readBufferSize);
    if (bytes.isEmpty())
        return;
    const bool first = transfer.received == 0;
    transfer.received += bytes.size();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (first && transfer.request->each && status == 207)
        transfer.reader = std::make_unique<MultiStatusReader>(cardLimit, transfer.request->each);
    if (transfer.reader)
        transfer.unread = !transfer.reader->feed(bytes);
    else
        transfer.body += bytes;
    transfer.tooLarge = transfer.received > (transfer.reader ? streamLimit : bodyLimit);
    if (transfer.tooLarge || transfer.unread)
        reply->abort(); // finishes the reply, which completes the answer
}

void DavClient::complete(const std::shared_ptr<Transfer>& transfer) {
    if (transfer->completed)
        return;
    transfer->completed = true;
    QNetworkReply* reply = transfer->reply;
    reply->deleteLater();
    const std::shared_ptr<Request>& asked = transfer->request;
    const QUrl& url = transfer->url;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    DavReply answer{status,
                    reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(),
                    {},
                    {},
                    url,
                    {},
                    reply->rawHeader("DAV"),
                    transfer->certificate};
    if (transfer->unread) {
        answer.error = transfer->reader->error();
        asked->done(answer);
        return;
    }
    if (transfer->tooLarge || transfer->timedOut || !transfer->certificateError.isEmpty() ||
        (status == 0 && reply->error() != QNetworkReply::NoError) || cutShort(reply, transfer->received)) {
        answer.status = 0;
        answer.error =
            networkError(url, reply, transfer->tooLarge, transfer->timedOut, transfer->certificateError);
        asked->done(answer);
        return;
    }
    const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (status >= 300 && status < 400 && target.isValid()) {
        const QUrl next = url.resolved(target);
        const QString shown = next.toDisplayString(QUrl::RemoveUserInfo);
        if (transfer->redirects >= maxRedirects)
            answer.error = QStringLiteral("The server sent too many redirects.");
        else if (url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 &&
                 next.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)
            answer.error =
                QStringLiteral("The server redirected to an address that is not secure: %1").arg(shown);
        else if (!sameOrigin(next, origin_))
            answer.error =
                QStringLiteral("The server moved the address book to %1; add that address instead.")
                    .arg(shown);
        if (!answer.error.isEmpty()) {
            asked->done(answer);
            return;
        }
        issue(asked, next, transfer->redirects + 1);
        return;
    }
    if (transfer->reader && !transfer->reader->finish())
        answer.error = transfer->reader->error();
    else if (transfer->reader)
        answer.syncToken = transfer->reader->syncToken();
    else if (asked->each && status == 207) // an empty 207 is no multistatus either
        answer.error = QStringLiteral("The server's answer could not be read.");
    answer.body = std::move(transfer->body);
    asked->done(answer);
}

} // namespace cw::addressbook
