#include "core/addressbook/davclient.h"
#include "core/addressbook/davxml.h"
#include "core/addressbook/syncjob.h"

namespace cw::addressbook {

namespace {
constexpr size_t batchSize = 100;
// A server that sends a billion contacts, or continues a cut-short answer for ever, is stopped here.
constexpr size_t maxContacts = 100'000;
constexpr int maxPages = 1000;

const QByteArray listBody = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><d:propfind "
                                              "xmlns:d=\"DAV:\"><d:prop><d:resourcetype/><d:getetag/>"
                                              "<d:sync-token/></d:prop></d:propfind>");

QByteArray syncBody(const QString& token) {
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><d:sync-collection xmlns:d=\"DAV:\">"
                             "<d:sync-token>") +
           token.toHtmlEscaped().toUtf8() +
           QByteArrayLiteral("</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop>"
                             "</d:sync-collection>");
}

QString withoutSlash(QString path) {
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}
} // namespace

CardDavSync::CardDavSync(const QString& storePath, qint64 sourceId, const QUrl& book, const QString& userName,
                         const QString& password, QObject* parent)
    : SyncJob(storePath, sourceId, parent), book_(book), client_(new DavClient(userName, password, this)) {}

CardDavSync::~CardDavSync() = default;

QString CardDavSync::keyOf(const QString& href) const {
    return book_.resolved(QUrl(href)).path(QUrl::FullyDecoded);
}

QString CardDavSync::hrefOf(const QString& key) const {
    QUrl url;
    url.setPath(key, QUrl::DecodedMode);
    return url.path(QUrl::FullyEncoded);
}

bool CardDavSync::isBook(const QString& key) const {
    return withoutSlash(key) == withoutSlash(book_.path(QUrl::FullyDecoded));
}

std::optional<MultiStatus> CardDavSync::readReply(const DavReply& reply) {
    QString error = DavClient::errorOf(reply);
    if (error.isEmpty() && reply.status != 207)
        error = QStringLiteral("The server's answer could not be read.");
    std::optional<MultiStatus> read;
    if (error.isEmpty())
        read = readMultiStatus(reply.body, DavClient::cardLimit, error);
    if (!read)
        fail(error);
    return read;
}

void CardDavSync::run() {
    QString token;
    if (onStore([&](ContactStore& contacts) {
            token = contacts.syncToken();
            return false;
        }))
        report(token);
}

void CardDavSync::report(const QString& token) {
    client_->send("REPORT", book_, syncBody(token), 0, [this, token](const DavReply& reply) {
        // A server without sync reports, or one that no longer knows the token (403 or 409 with
        // valid-sync-token, or worse), is asked for every ETag instead: that answer is always right.
        if (reply.error.isEmpty() && reply.status >= 400 && reply.status != 401 && reply.status != 404) {
            compareETags();
            return;
        }
        const std::optional<MultiStatus> status = readReply(reply);
        if (!status)
            return;
        std::vector<QString> changed;
        QStringList gone;
        bool truncated = false;
        for (const DavResponse& response : status->responses) {
            const QString key = keyOf(response.href);
            if (isBook(key))
                truncated = truncated || response.status == 507;
            else if (response.status == 404)
                gone << key;
            else if (!response.isCollection)
                changed.push_back(key);
        }
        const QString next = status->syncToken;
        fetch(std::move(changed), gone, next, [this, truncated, token, next] {
            // A result cut short goes on from the token it ended with.
            if (truncated && !next.isEmpty() && next != token && ++pages_ < maxPages)
                report(next);
            else
                succeed();
        });
    });
}

void CardDavSync::compareETags() {
    client_->send("PROPFIND", book_, listBody, 1, [this](const DavReply& reply) {
        const std::optional<MultiStatus> status = readReply(reply);
        QHash<QString, QString> known;
        if (!status || !onStore([&](ContactStore& contacts) {
                known = contacts.knownETags();
                return false;
            }))
            return;
        std::vector<QString> changed;
        QString token;
        for (const DavResponse& response : status->responses) {
            const QString key = keyOf(response.href);
            if (isBook(key))
                token = response.syncToken;
            else if (!response.isCollection && (response.status == 0 || response.status == 200)) {
                if (response.etag.isEmpty() || known.value(key) != response.etag)
                    changed.push_back(key);
                known.remove(key);
            }
        }
        fetch(std::move(changed), known.keys(), token, [this] { succeed(); });
    });
}

void CardDavSync::fetch(std::vector<QString> changed, QStringList gone, const QString& token,
                        std::function<void()> then) {
    if (changed.size() > maxContacts) {
        fail(QStringLiteral("The address book holds more contacts than Candlewise reads (%L1).")
                 .arg(maxContacts));
        return;
    }
    pending_ = std::move(changed);
    fetched_ = 0;
    gone_ = std::move(gone);
    token_ = token;
    then_ = std::move(then);
    fetchBatch();
}

void CardDavSync::fetchBatch() {
    if (fetched_ >= pending_.size()) {
        // The token is kept only once everything it stands for is in the store.
        if (onStore([&](ContactStore& contacts) {
                const bool changed = !gone_.isEmpty() && contacts.remove(gone_);
                contacts.setSyncToken(token_);
                return changed;
            }))
            then_();
        return;
    }
    QByteArray body = QByteArrayLiteral(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?><c:addressbook-multiget xmlns:d=\"DAV:\" "
        "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop><d:getetag/><c:address-data/></d:prop>");
    const size_t end = std::min(pending_.size(), fetched_ + batchSize);
    for (size_t i = fetched_; i < end; ++i)
        body += "<d:href>" + hrefOf(pending_[i]).toHtmlEscaped().toUtf8() + "</d:href>";
    body += "</c:addressbook-multiget>";
    client_->send("REPORT", book_, body, -1, [this, end](const DavReply& reply) {
        const std::optional<MultiStatus> status = readReply(reply);
        if (!status)
            return;
        std::vector<Contact> contacts;
        for (const DavResponse& response : status->responses) {
            const QString key = keyOf(response.href);
            if (response.status == 404)
                gone_ << key;
            // A card past the bound, or one the server did not send, stays as it was.
            else if (!response.addressData.isEmpty())
                contacts.push_back(readContact(key, response.etag, response.addressData));
        }
        if (!contacts.empty() && !onStore([&](ContactStore& store) { return store.apply(contacts); }))
            return;
        fetched_ = end;
        emit progress(int(fetched_), int(pending_.size()));
        fetchBatch();
    });
}

} // namespace cw::addressbook
