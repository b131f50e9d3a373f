#pragma once
// A WebDAV server that answers from a script, for the hostile answers no real server gives: each kind
// of request (by the root element of its body) takes the next of its answers, the last one again and
// again; "{n}" in an answer is the request's number. Every request is kept, head and body, so a test can say
// what reached the server. Over TLS when given a certificate and key.
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QUrl>

#include <functional>
#include <memory>

namespace cwtest {

struct Answer {
    Answer(QByteArray status = {}, QByteArray body = {}, QByteArray headers = {}, qsizetype missing = 0)
        : status(std::move(status)), body(std::move(body)), headers(std::move(headers)), missing(missing) {}
    QByteArray status; // "207 Multi-Status"
    QByteArray body;
    QByteArray headers;    // more header lines, each ending in \r\n
    qsizetype missing = 0; // bytes announced but never sent: the answer is cut short
};
// A certificate for 127.0.0.1 made by openssl in the folder, its key, and openssl's SHA-256 fingerprint.
using Certificate = std::tuple<QSslCertificate, QSslKey, QString>;
inline Certificate makeCertificate(const QString& folder, const QString& name) {
    const QString cert = folder + '/' + name + ".pem", key = folder + '/' + name + ".key";
    QProcess openssl;
    openssl.start("openssl",
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                   "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert});
    openssl.waitForFinished(30000);
    openssl.start("openssl", {"x509", "-in", cert, "-noout", "-fingerprint", "-sha256"});
    openssl.waitForFinished(30000);
    QFile keyFile(key);
    keyFile.open(QIODevice::ReadOnly);
    return {QSslCertificate::fromPath(cert).value(0), QSslKey(&keyFile, QSsl::Rsa),
            QString::fromLatin1(openssl.readAllStandardOutput()).section('=', 1).trimmed()};
}

using Script = QHash<QByteArray, QList<Answer>>; // by kind: "sync-collection", "addressbook-multiget",
                                                 // "propfind", and "" for any other

class ScriptedServer : public QObject {
  public:
    explicit ScriptedServer(const QHostAddress& address = QHostAddress::LocalHost,
                            const QSslCertificate& certificate = QSslCertificate(),
                            const QSslKey& key = QSslKey()) {
        if (certificate.isNull()) {
            server_ = std::make_unique<QTcpServer>();
        } else {
            server_ = std::make_unique<QSslServer>();
            setCertificate(certificate, key);
        }
        server_->listen(address, 0);
        scheme_ = certificate.isNull() ? "http" : "https";
        connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* socket = server_->nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { take(socket); });
        });
    }
    QUrl url(const QString& path = QStringLiteral("/book/")) const {
        return QUrl(QStringLiteral("%1://%2:%3%4")
                        .arg(scheme_, server_->serverAddress().toString())
                        .arg(server_->serverPort())
                        .arg(path));
    }
    void setCertificate(const QSslCertificate& certificate, const QSslKey& key) {
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(certificate);
        configuration.setPrivateKey(key);
        static_cast<QSslServer*>(server_.get())->setSslConfiguration(configuration);
    }
    Script script;
    // An answer made from the request's body, for a kind that has one, before the script's.
    QHash<QByteArray, std::function<Answer(const QByteArray& body)>> responders;
    QList<QByteArray> requests;

  private:
    static QByteArray kindOf(const QByteArray& body) {
        for (const char* kind : {"sync-collection", "addressbook-multiget", "propfind"})
            if (body.contains(QByteArray(":") + kind) || body.contains(QByteArray("<") + kind))
                return kind;
        return {};
    }
    void take(QTcpSocket* socket) {
        QByteArray& pending = buffers_[socket];
        pending += socket->readAll();
        const qsizetype headEnd = pending.indexOf("\r\n\r\n");
        if (headEnd < 0)
            return;
        qsizetype length = 0;
        for (const QByteArray& line : pending.left(headEnd).split('\n'))
            if (line.toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        if (pending.size() < headEnd + 4 + length)
            return;
        const QByteArray request = pending.left(headEnd + 4 + length);
        pending.remove(0, request.size());
        requests << request;
        const QByteArray kind = kindOf(request.mid(headEnd + 4));
        QList<Answer>& answers = script[script.contains(kind) ? kind : QByteArray()];
        Answer answer = responders.contains(kind) ? responders[kind](request.mid(headEnd + 4))
                        : answers.size() > 1      ? answers.takeFirst()
                                                  : answers.value(0, {"404 Not Found"});
        answer.body.replace("{n}", QByteArray::number(requests.size())); // a new sync-token each time
        socket->write("HTTP/1.1 " + answer.status + "\r\nContent-Type: application/xml\r\n" + answer.headers +
                      "Content-Length: " + QByteArray::number(answer.body.size() + answer.missing) +
                      "\r\n\r\n" + answer.body);
        if (answer.missing > 0)
            socket->disconnectFromHost();
    }

    std::unique_ptr<QTcpServer> server_;
    QString scheme_;
    QHash<QTcpSocket*, QByteArray> buffers_;
};

// A multistatus of the responses given, with a sync-token when one is given.
inline QByteArray multistatus(const QByteArray& responses, const QByteArray& token = {}) {
    return "<d:multistatus xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\">" + responses +
           (token.isEmpty() ? QByteArray() : "<d:sync-token>" + token + "</d:sync-token>") +
           "</d:multistatus>";
}
// One response: its href, and its ETag, card or status ("404", "507").
inline QByteArray response(const QByteArray& href, const QByteArray& etag, const QByteArray& card = {}) {
    if (etag.size() == 3 && etag.toInt() > 0)
        return "<d:response><d:href>" + href + "</d:href><d:status>HTTP/1.1 " + etag +
               " X</d:status></d:response>";
    return "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop><d:getetag>" + etag +
           "</d:getetag>" +
           (card.isEmpty() ? QByteArray() : "<c:address-data>" + card + "</c:address-data>") +
           "</d:prop><d:status>HTTP/1.1 200 OK</d:status></d:propstat></d:response>";
}

} // namespace cwtest
