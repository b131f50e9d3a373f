#include "core/addressbook/davclient.h"

#include <QAuthenticator>
#include <QHostAddress>
#include <QNetworkReply>
#include <QNetworkRequest>
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

struct Transfer {
    QByteArray body;
    bool tooLarge = false;
    bool timedOut = false;
    QString certificateError;
};

QString networkError(const QUrl& url, QNetworkReply* reply, const Transfer& transfer) {
    if (transfer.tooLarge)
        return QStringLiteral("The server's answer is too large.");
    if (!transfer.certificateError.isEmpty())
        return QStringLiteral("The server's certificate is not trusted: %1").arg(transfer.certificateError);
    if (transfer.timedOut || reply->error() == QNetworkReply::OperationCanceledError)
        return QStringLiteral("Cannot reach %1: the server did not answer in time.").arg(hostOf(url));
    return QStringLiteral("Cannot reach %1: %2").arg(hostOf(url), reply->errorString());
}
} // namespace

DavClient::DavClient(const QString& userName, const QString& password, QObject* parent)
    : QObject(parent), userName_(userName), password_(password) {
    manager_.setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    // The credentials are offered once for each request: asked again, they were refused.
    connect(&manager_, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply* reply, QAuthenticator* authenticator) {
                if (reply->property("cwOffered").toBool() || userName_.isEmpty())
                    return;
                reply->setProperty("cwOffered", true);
                authenticator->setUser(userName_);
                authenticator->setPassword(password_);
            });
}

QString DavClient::refusal(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty())
        return QStringLiteral("This is not a web address: %1").arg(url.toDisplayString());
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("https"))
        return {};
    const QString host = url.host().toLower();
    const bool loopback = host == QLatin1String("localhost") || QHostAddress(host).isLoopback();
    if (scheme == QLatin1String("http") && loopback)
        return {};
    return QStringLiteral(
               "Only https:// addresses are accepted, so that the password never travels in clear: %1")
        .arg(url.toDisplayString(QUrl::RemoveUserInfo));
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
        return QStringLiteral("No address book was found at this address.");
    return QStringLiteral("The server answered with an error: %1 %2")
        .arg(reply.status)
        .arg(reply.reason.left(200));
}

void DavClient::send(const QByteArray& method, const QUrl& url, const QByteArray& body, int depth,
                     Done done) {
    issue(method, url, body, depth, 0, std::move(done));
}

void DavClient::issue(const QByteArray& method, const QUrl& url, const QByteArray& body, int depth,
                      int redirects, Done done) {
    if (const QString refused = refusal(url); !refused.isEmpty()) {
        done(DavReply{0, {}, {}, refused, url});
        return;
    }
    QNetworkRequest request(url);
    request.setTransferTimeout(idleTimeoutMs);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/xml; charset=utf-8"));
    request.setRawHeader("Accept", "application/xml, text/xml");
    if (depth >= 0)
        request.setRawHeader("Depth", QByteArray::number(depth));
    QNetworkReply* reply = manager_.sendCustomRequest(request, method, body);
    auto transfer = std::make_shared<Transfer>();
    // Read as it comes, so that a body past the bound is never held.
    connect(reply, &QNetworkReply::readyRead, this, [reply, transfer] {
        transfer->body += reply->read(bodyLimit + 1 - transfer->body.size());
        if (transfer->body.size() > bodyLimit) {
            transfer->tooLarge = true;
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::sslErrors, this, [transfer](const QList<QSslError>& errors) {
        if (!errors.isEmpty())
            transfer->certificateError = errors.first().errorString();
    });
    auto* deadline = new QTimer(reply);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, reply, [reply, transfer] {
        transfer->timedOut = true;
        reply->abort();
    });
    deadline->start(requestTimeoutMs);
    connect(
        reply, &QNetworkReply::finished, this,
        [this, reply, transfer, method, url, body, depth, redirects, done = std::move(done)] {
            reply->deleteLater();
            if (!transfer->tooLarge && !transfer->timedOut && reply->isOpen())
                transfer->body += reply->read(bodyLimit + 1 - transfer->body.size());
            transfer->tooLarge = transfer->tooLarge || transfer->body.size() > bodyLimit;
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            DavReply answer{
                status, reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString(), {}, {}, url};
            if (transfer->tooLarge || transfer->timedOut || !transfer->certificateError.isEmpty() ||
                (status == 0 && reply->error() != QNetworkReply::NoError)) {
                answer.status = 0;
                answer.error = networkError(url, reply, *transfer);
                done(answer);
                return;
            }
            const QUrl target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
            if (status >= 300 && status < 400 && target.isValid()) {
                const QUrl next = url.resolved(target);
                if (redirects >= maxRedirects)
                    answer.error = QStringLiteral("The server sent too many redirects.");
                else if (url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 &&
                         next.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)
                    answer.error =
                        QStringLiteral("The server redirected to an address that is not secure: %1")
                            .arg(next.toDisplayString(QUrl::RemoveUserInfo));
                if (!answer.error.isEmpty()) {
                    done(answer);
                    return;
                }
                issue(method, next, body, depth, redirects + 1, done);
                return;
            }
            answer.body = std::move(transfer->body);
            done(answer);
        });
}

} // namespace cw::addressbook
