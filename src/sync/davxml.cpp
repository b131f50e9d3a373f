#include "sync/davxml.h"

#include "sync/markupguard.h"

#include <QXmlStreamReader>

namespace cw::addressbook {

namespace {
const QString dav = QStringLiteral("DAV:");
const QString carddav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
const QString unreadable = QStringLiteral("The server's answer could not be read.");

enum class Tag { Other, MultiStatus, Response, PropStat, Prop, ResourceType, Principal, HomeSet };
// The elements whose text is kept, and where it goes.
enum class Text {
    None,
    Href,
    PrincipalHref,
    HomeSetHref,
    ResponseStatus,
    PropStatus,
    ReportToken,
    ETag,
    DisplayName,
    PropToken,
    AddressData
};

// "HTTP/1.1 404 Not Found" gives 404.
int statusCode(const QString& line) {
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

void takeFound(DavResponse& response, DavResponse& found) {
    if (!found.etag.isEmpty())
        response.etag = found.etag;
    if (!found.displayName.isEmpty())
        response.displayName = found.displayName;
    response.isCollection = response.isCollection || found.isCollection;
    response.isAddressBook = response.isAddressBook || found.isAddressBook;
    if (!found.principal.isEmpty())
        response.principal = found.principal;
    response.homeSets << found.homeSets;
    if (!found.syncToken.isEmpty())
        response.syncToken = found.syncToken;
    if (!found.addressData.isEmpty() || found.addressDataTooLarge) {
        response.addressData = std::move(found.addressData);
        response.addressDataTooLarge = found.addressDataTooLarge;
    }
}

Text textOf(bool inDav, bool inCardDav, QStringView name, Tag parent) {
    if (inCardDav)
        return name == u"address-data" && parent == Tag::Prop ? Text::AddressData : Text::None;
    if (!inDav)
        return Text::None;
    if (name == u"href")
        return parent == Tag::Response    ? Text::Href
               : parent == Tag::Principal ? Text::PrincipalHref
               : parent == Tag::HomeSet   ? Text::HomeSetHref
                                          : Text::None;
    if (name == u"status")
        return parent == Tag::Response   ? Text::ResponseStatus
               : parent == Tag::PropStat ? Text::PropStatus
                                         : Text::None;
    if (name == u"sync-token")
        return parent == Tag::MultiStatus ? Text::ReportToken
               : parent == Tag::Prop      ? Text::PropToken
                                          : Text::None;
    if (parent != Tag::Prop)
        return Text::None;
    return name == u"getetag" ? Text::ETag : name == u"displayname" ? Text::DisplayName : Text::None;
}

Tag tagOf(bool inDav, bool inCardDav, QStringView name, Tag parent) {
    if (inDav && name == u"response" && parent == Tag::MultiStatus)
        return Tag::Response;
    if (inDav && name == u"propstat" && parent == Tag::Response)
        return Tag::PropStat;
    if (inDav && name == u"prop" && parent == Tag::PropStat)
        return Tag::Prop;
    if (inDav && name == u"resourcetype" && parent == Tag::Prop)
        return Tag::ResourceType;
    if (inDav && name == u"current-user-principal" && parent == Tag::Prop)
        return Tag::Principal;
    if (inCardDav && name == u"addressbook-home-set" && parent == Tag::Prop)
        return Tag::HomeSet;
    return Tag::Other;
}
} // namespace

struct MultiStatusReader::Private {
    qsizetype cardLimit;
    Each each;
    MarkupGuard guard{maxAttributes};
    QXmlStreamReader xml;
    QString error;
    QString syncToken;
    DavResponse response;
    DavResponse found; // the properties of the propstat being read
    int propStatus = 0;
    std::vector<Tag> open;
    Text capturing = Text::None;
    size_t capturedAt = 0; // the depth of the element whose text is kept
    QString text;
    bool tooLong = false;
    bool isMultiStatus = false;
    bool closed = false; // the multistatus was closed: only what XML allows after it may follow
    bool done = false;   // refused, or stopped by the receiver

    bool refuse(const QString& why) {
        if (error.isEmpty())
            error = why;
        done = true;
        return false;
    }
    bool startElement();
    bool endElement();
    void keepText();
    bool read();
};

bool MultiStatusReader::Private::startElement() {
    if (open.size() >= size_t(maxDepth))
        return refuse(unreadable);
    const Tag parent = open.empty() ? Tag::Other : open.back();
    const bool inDav = xml.namespaceUri() == dav;
    const bool inCardDav = xml.namespaceUri() == carddav;
    const QStringView name = xml.name();
    if (open.empty()) {
        if (!(inDav && name == u"multistatus"))
            return refuse(unreadable);
        isMultiStatus = true;
        open.push_back(Tag::MultiStatus);
        return true;
    }
    if (capturing == Text::None) {
        capturing = textOf(inDav, inCardDav, name, parent);
        capturedAt = open.size();
        text.clear();
        tooLong = false;
    }
    if (parent == Tag::ResourceType) {
        found.isCollection = found.isCollection || (inDav && name == u"collection");
        found.isAddressBook = found.isAddressBook || (inCardDav && name == u"addressbook");
    }
    open.push_back(tagOf(inDav, inCardDav, name, parent));
    return true;
}

void MultiStatusReader::Private::keepText() {
    switch (capturing) {
    case Text::Href:
        response.href = text;
        break;
    case Text::PrincipalHref:
        found.principal = text;
        break;
    case Text::HomeSetHref:
        found.homeSets << text;
        break;
    case Text::ResponseStatus:
        response.status = statusCode(text);
        break;
    case Text::PropStatus:
        propStatus = statusCode(text);
        break;
    case Text::ReportToken:
        syncToken = text;
        break;
    case Text::ETag:
        found.etag = text;
        break;
    case Text::DisplayName:
        found.displayName = text;
        break;
    case Text::PropToken:
        found.syncToken = text;
        break;
    case Text::AddressData:
        found.addressDataTooLarge = tooLong;
        found.addressData = tooLong ? QByteArray() : text.toUtf8();
        break;
    case Text::None:
        break;
    }
    capturing = Text::None;
    text.clear();
}

bool MultiStatusReader::Private::endElement() {
    const Tag ended = open.back();
    open.pop_back();
    if (capturing != Text::None && open.size() == capturedAt) {
        if (tooLong && capturing != Text::AddressData)
            return refuse(unreadable);
        keepText();
    }
    if (ended == Tag::Response) {
        if (!each(std::exchange(response, {}))) {
            done = true;
            return false;
        }
    } else if (ended == Tag::PropStat) {
        if (propStatus == 200)
            takeFound(response, found);
        found = {};
        propStatus = 0;
    } else if (ended == Tag::MultiStatus) {
        closed = true;
    }
    return true;
}

bool MultiStatusReader::Private::read() {
    while (!done) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        switch (token) {
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            return refuse(
                QStringLiteral("The server's answer holds a document type, which is not accepted."));
        case QXmlStreamReader::StartElement:
            if (!startElement())
                return false;
            break;
        case QXmlStreamReader::EndElement:
            if (!endElement())
                return false;
            break;
        case QXmlStreamReader::Characters:
            if (capturing != Text::None && !tooLong) {
                const qsizetype limit = capturing == Text::AddressData ? cardLimit : maxText;
                tooLong = text.size() + xml.text().size() > limit;
                if (tooLong)
                    text.clear();
                else
                    text += xml.text();
            }
            break;
        case QXmlStreamReader::Invalid:
            if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
                return true; // more bytes to come
            return refuse(unreadable);
        default:
            break;
        }
    }
    return error.isEmpty();
}

MultiStatusReader::MultiStatusReader(qsizetype cardLimit, Each each) : d(std::make_unique<Private>()) {
    d->cardLimit = cardLimit;
    d->each = std::move(each);
}

MultiStatusReader::~MultiStatusReader() = default;

bool MultiStatusReader::feed(QByteArrayView bytes) {
    if (!d->error.isEmpty())
        return false;
    if (d->done)
        return true;
    if (!d->guard.pass(bytes))
        return d->refuse(unreadable);
    d->xml.addData(bytes.toByteArray());
    return d->read();
}

bool MultiStatusReader::finish() {
    if (!d->error.isEmpty())
        return false;
    if (!d->isMultiStatus || !d->closed)
        return d->refuse(unreadable);
    return true;
}

QString MultiStatusReader::error() const {
    return d->error;
}

QString MultiStatusReader::syncToken() const {
    return d->syncToken;
}

std::optional<MultiStatus> readMultiStatus(const QByteArray& body, qsizetype cardLimit, QString& error) {
    MultiStatus result;
    MultiStatusReader reader(cardLimit, [&result](DavResponse&& response) {
        result.responses.push_back(std::move(response));
        return true;
    });
    if (!reader.feed(body) || !reader.finish()) {
        error = reader.error();
        return std::nullopt;
    }
    result.syncToken = reader.syncToken();
    return result;
}

} // namespace cw::addressbook
