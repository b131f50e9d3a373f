#include "sync/carddavsync.h"
#include "sync/contactcard.h"
#include "sync/davclient.h"
#include "sync/davxml.h"

#include <QSet>

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

const QString unreadable = QStringLiteral("The server's answer could not be read.");
} // namespace

// What a sync report or a listing named: the changed contacts with their ETags, the gone ones, and
// whether the server cut the report short.
struct CardDavSync::Listing {
    std::vector<std::pair<QString, QString>> listed; // key, ETag
    QStringList gone;
    bool truncated = false;
    QString token; // the book's own sync-token, from a listing
};

CardDavSync::CardDavSync(const QString& storePath, qint64 sourceId, const QUrl& book, const QString& userName,
                         const QString& password, const DavTrust& trust, QObject* parent)
    : SyncJob(storePath, sourceId, parent), book_(book),
      client_(new DavClient(book, userName, password, this)) {
    client_->setTrust(trust);
}

CardDavSync::~CardDavSync() = default;

std::optional<QString> CardDavSync::keyOf(const QString& href) const {
    const QUrl url = book_.resolved(QUrl(href));
    if (!url.isValid() || !DavClient::sameOrigin(url, book_))
        return std::nullopt;
    const QString key = url.path(QUrl::FullyDecoded);
    const QStringList segments = key.split(QLatin1Char('/'));
    if (segments.contains(QStringLiteral("..")) || segments.contains(QStringLiteral(".")))
        return std::nullopt;
    if (!isBook(key) && !key.startsWith(withoutSlash(book_.path(QUrl::FullyDecoded)) + QLatin1Char('/')))
        return std::nullopt;
    return key;
}

QString CardDavSync::hrefOf(const QString& key) const {
    QUrl url;
    url.setPath(key, QUrl::DecodedMode);
    return url.path(QUrl::FullyEncoded);
}

bool CardDavSync::isBook(const QString& key) const {
    return withoutSlash(key) == withoutSlash(book_.path(QUrl::FullyDecoded));
}

bool CardDavSync::answered(const DavReply& reply) {
    if (ended())
        return false; // the reading failed the sync already
    QString error = DavClient::errorOf(reply);
    if (error.isEmpty() && reply.status != 207)
        error = unreadable;
    if (!error.isEmpty())
        fail(error);
    return error.isEmpty();
}

bool CardDavSync::list(const DavResponse& response, Listing& listing) {
    const std::optional<QString> key = keyOf(response.href);
    if (!key)
        return true; // not of this book: passed over
    if (isBook(*key)) {
        listing.truncated = listing.truncated || response.status == 507;
        listing.token = response.syncToken;
    } else if (response.status == 404) {
        listing.gone << *key;
    } else if (!response.isCollection && (response.status == 0 || response.status == 200)) {
        if (++listed_ > maxContacts) {
            fail(QStringLiteral("The address book holds more contacts than Candlewise reads (%L1).")
                     .arg(maxContacts));
            return false;
        }
        listing.listed.emplace_back(*key, response.etag);
    }
    return true;
}

bool CardDavSync::compare(Listing& listing) {
    QHash<QString, QString> known;
    if (!onStore([&](ContactStore& contacts) {
            known = contacts.knownETags();
            return false;
        }))
        return false;
    std::vector<std::pair<QString, QString>> changed;
    for (auto& [key, etag] : listing.listed) {
        const auto was = known.constFind(key);
        const bool same = !etag.isEmpty() && was != known.cend() && *was == etag;
        known.remove(key);
        if (!same)
            changed.emplace_back(std::move(key), std::move(etag));
    }
    listing.listed = std::move(changed);
    listing.gone << known.keys();
    return true;
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
    auto listing = std::make_shared<Listing>();
    const auto each = [this, listing](DavResponse&& response) { return list(response, *listing); };
    client_->send(
        "REPORT", book_, syncBody(token), 0,
        [this, token, listing](const DavReply& reply) {
            // A server without sync reports, or one that no longer knows the token (403 or 409 with
            // valid-sync-token, or worse), is asked for every ETag instead: that answer is always right.
            if (!ended() && reply.error.isEmpty() && reply.status >= 400 && reply.status != 401 &&
                reply.status != 404) {
                compareETags();
                return;
            }
            if (!answered(reply))
                return;
            const QString next = reply.syncToken;
            // From no token the report lists the whole book, as a listing does: what it leaves out is gone.
            // A server that gives no token is read this way at every sync.
            if (token.isEmpty() && !listing->truncated && !compare(*listing))
                return;
            std::vector<QString> changed;
            changed.reserve(listing->listed.size());
            for (auto& entry : listing->listed)
                changed.push_back(std::move(entry.first));
            fetch(std::move(changed), listing->gone, next,
                  [this, truncated = listing->truncated, token, next] {
                      // A result cut short goes on from the token it ended with.
                      if (truncated && !next.isEmpty() && next != token && ++pages_ < maxPages)
                          report(next);
                      else
                          succeed();
                  });
        },
        each);
}

void CardDavSync::compareETags() {
    listed_ = 0;
    auto listing = std::make_shared<Listing>();
    const auto each = [this, listing](DavResponse&& response) { return list(response, *listing); };
    client_->send(
        "PROPFIND", book_, listBody, 1,
        [this, listing](const DavReply& reply) {
            if (!answered(reply) || !compare(*listing))
                return;
            std::vector<QString> changed;
            changed.reserve(listing->listed.size());
            for (auto& entry : listing->listed)
                changed.push_back(std::move(entry.first));
            fetch(std::move(changed), listing->gone, listing->token, [this] { succeed(); });
        },
        each);
}

void CardDavSync::fetch(std::vector<QString> changed, QStringList gone, const QString& token,
                        std::function<void()> then) {
    pending_ = std::move(changed);
    fetched_ = 0;
    gone_ = std::move(gone);
    token_ = token;
    then_ = std::move(then);
    fetchBatch();
}

void CardDavSync::fetchBatch() {
    if (fetched_ >= pending_.size()) {
        // The token is kept only once everything it stands for is in the store; a damaged card is
        // asked for again from the old one.
        if (onStore([&](ContactStore& contacts) {
                const bool changed = !gone_.isEmpty() && contacts.remove(gone_);
                if (!damaged_)
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
    auto asked = std::make_shared<QSet<QString>>();
    for (size_t i = fetched_; i < end; ++i) {
        body += "<d:href>" + hrefOf(pending_[i]).toHtmlEscaped().toUtf8() + "</d:href>";
        asked->insert(pending_[i]);
    }
    body += "</c:addressbook-multiget>";
    // Each card is read as it arrives; one the server sent unasked, or past the bound, or not at all,
    // stays as it was.
    auto contacts = std::make_shared<std::vector<Contact>>();
    const auto each = [this, asked, contacts](DavResponse&& response) {
        const std::optional<QString> key = keyOf(response.href);
        if (!key || !asked->remove(*key))
            return true;
        if (response.status == 404)
            gone_ << *key;
        else if (!response.addressData.isEmpty())
            contacts->push_back(readContact(*key, response.etag, response.addressData));
        damaged_ = damaged_ || (!contacts->empty() && contacts->back().damaged);
        return true;
    };
    client_->send(
        "REPORT", book_, body, -1,
        [this, end, contacts](const DavReply& reply) {
            if (!answered(reply))
                return;
            if (!contacts->empty() && !onStore([&](ContactStore& store) { return store.apply(*contacts); }))
                return;
            fetched_ = end;
            emit progress(int(fetched_), int(pending_.size()));
            fetchBatch();
        },
        each);
}

} // namespace cw::addressbook
