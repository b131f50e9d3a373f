#include "sync/discovery.h"
#include "core/birthdayrecord.h"
#include "sync/davclient.h"
#include "sync/davxml.h"

namespace cw::addressbook {

namespace {
const QByteArray probeBody =
    QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><d:propfind xmlns:d=\"DAV:\" "
                      "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop><d:resourcetype/><d:displayname/>"
                      "<d:current-user-principal/><c:addressbook-home-set/></d:prop></d:propfind>");
const QByteArray listBody = QByteArrayLiteral(
    "<?xml version=\"1.0\" encoding=\"utf-8\"?><d:propfind xmlns:d=\"DAV:\"><d:prop><d:resourcetype/>"
    "<d:displayname/></d:prop></d:propfind>");
// Principal, home set, the well-known address and what it leads to: a server that sends the client
// round in circles is given up on.
constexpr int maxSteps = 8;
constexpr size_t maxCollections = 10'000;

QString nameOf(const DavResponse& response, const QUrl& url) {
    if (!response.displayName.trimmed().isEmpty())
        return cleanPersonName(response.displayName);
    const QStringList segments = url.path(QUrl::FullyDecoded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return segments.isEmpty() ? url.host() : segments.last();
}
} // namespace

struct Discovery::Private {
    DavClient* client = nullptr;
    QUrl address;
    bool triedWellKnown = false;
    bool guessedScheme = false;
    int steps = 0;
    QSslCertificate certificate;
    QUrl plain;
};

Discovery::Discovery(QObject* parent) : QObject(parent), d(std::make_unique<Private>()) {}

Discovery::~Discovery() = default;

void Discovery::start(const QUrl& address, const QString& userName, const QString& password,
                      const DavTrust& trust, bool guessedScheme) {
    delete d->client;
    d->client = new DavClient(address, userName, password, this);
    d->client->setTrust(trust);
    d->address = address;
    d->triedWellKnown = false;
    d->guessedScheme = guessedScheme;
    d->steps = 0;
    d->certificate.clear();
    d->plain.clear();
    probe(address);
}

QSslCertificate Discovery::untrustedCertificate() const {
    return d->certificate;
}

QUrl Discovery::plainAddress() const {
    return d->plain;
}

void Discovery::fail(const DavReply& reply, const QString& error) {
    d->certificate = reply.certificate;
    if (!d->guessedScheme || reply.status != 0 || !reply.certificate.isNull() || d->steps > 1) {
        emit failed(error);
        return;
    }
    // Nothing answered at the https:// address guessed: the error says which address that was, and a
    // WebDAV server at its http:// twin, asked without credentials, is offered.
    QUrl plain = d->address;
    plain.setScheme(QStringLiteral("http"));
    auto* asker = new DavClient(plain, {}, {}, this);
    asker->setTrust({true, {}});
    const QString tried = QStringLiteral("Tried %1: %2").arg(d->address.toDisplayString(), error);
    asker->send("OPTIONS", plain, {}, -1, [this, asker, plain, tried](const DavReply& answer) {
        asker->deleteLater();
        if (!answer.dav.isEmpty())
            d->plain = plain;
        emit failed(tried);
    });
}

void Discovery::notFound() {
    if (d->triedWellKnown) {
        emit failed(DavClient::noBookText());
        return;
    }
    d->triedWellKnown = true;
    QUrl wellKnown = d->address;
    wellKnown.setPath(QStringLiteral("/.well-known/carddav"));
    wellKnown.setQuery(QString());
    wellKnown.setFragment(QString());
    probe(wellKnown);
}

void Discovery::ask(const QUrl& url, const QByteArray& body, int depth, const Answer& then) {
    if (++d->steps > maxSteps) {
        emit failed(DavClient::noBookText());
        return;
    }
    // The responses are read as they arrive; a home with more collections than anyone keeps is no home.
    auto responses = std::make_shared<std::vector<DavResponse>>();
    const auto each = [responses](DavResponse&& response) {
        responses->push_back(std::move(response));
        return responses->size() <= maxCollections;
    };
    d->client->send(
        "PROPFIND", url, body, depth,
        [this, then, responses](const DavReply& reply) {
            // No answer, a refused login or a broken server ends the search; any other answer only says
            // that this was not the way.
            const QString error = DavClient::errorOf(reply);
            if (!reply.error.isEmpty() || reply.status == 401 || reply.status >= 500) {
                fail(reply, error);
                return;
            }
            then(reply.url, reply.status == 207 ? *responses : std::vector<DavResponse>());
        },
        each);
}

void Discovery::probe(const QUrl& url) {
    ask(url, probeBody, 0, [this](const QUrl& here, const std::vector<DavResponse>& responses) {
        if (responses.empty()) {
            notFound();
            return;
        }
        const DavResponse& response = responses.front();
        if (response.isAddressBook) {
            emit found({FoundBook{here, nameOf(response, here)}});
        } else if (!response.homeSets.isEmpty()) {
            list(here.resolved(QUrl(response.homeSets.first())));
        } else if (!response.principal.isEmpty() &&
                   here.resolved(QUrl(response.principal)).path() != here.path()) {
            probe(here.resolved(QUrl(response.principal)));
        } else {
            list(here); // the address may be the home of the books itself
        }
    });
}

void Discovery::list(const QUrl& home) {
    ask(home, listBody, 1, [this](const QUrl& here, const std::vector<DavResponse>& responses) {
        QList<FoundBook> books;
        for (const DavResponse& response : responses) {
            const QUrl url = here.resolved(QUrl(response.href));
            if (response.isAddressBook && d->client->refused(url).isEmpty())
                books << FoundBook{url, nameOf(response, url)};
        }
        if (books.isEmpty())
            notFound();
        else
            emit found(books);
    });
}

} // namespace cw::addressbook
