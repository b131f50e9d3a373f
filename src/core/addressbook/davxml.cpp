#include "core/addressbook/davxml.h"

#include <QXmlStreamReader>

namespace cw::addressbook {

namespace {
const QString dav = QStringLiteral("DAV:");
const QString carddav = QStringLiteral("urn:ietf:params:xml:ns:carddav");

enum class Tag { Other, MultiStatus, Response, PropStat, Prop, ResourceType, Principal, HomeSet };

// "HTTP/1.1 404 Not Found" gives 404.
int statusCode(const QString& line) {
    const QStringList parts = line.simplified().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

void takeFound(DavResponse& response, const DavResponse& found) {
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
        response.addressData = found.addressData;
        response.addressDataTooLarge = found.addressDataTooLarge;
    }
}

bool refused(QXmlStreamReader::TokenType token) {
    return token == QXmlStreamReader::DTD || token == QXmlStreamReader::EntityReference;
}
} // namespace

std::optional<MultiStatus> readMultiStatus(const QByteArray& body, qsizetype cardLimit, QString& error) {
    QXmlStreamReader xml(body);
    MultiStatus result;
    DavResponse response;
    DavResponse found; // the properties of the propstat being read
    int propStatus = 0;
    std::vector<Tag> open;
    bool isMultiStatus = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (refused(token)) {
            error = QStringLiteral("The server's answer holds a document type, which is not accepted.");
            return std::nullopt;
        }
        if (token == QXmlStreamReader::EndElement) {
            const Tag closed = open.back();
            open.pop_back();
            if (closed == Tag::Response) {
                result.responses.push_back(std::move(response));
                response = {};
            } else if (closed == Tag::PropStat) {
                if (propStatus == 200)
                    takeFound(response, found);
                found = {};
                propStatus = 0;
            }
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const Tag parent = open.empty() ? Tag::Other : open.back();
        const bool inDav = xml.namespaceUri() == dav;
        const bool inCardDav = xml.namespaceUri() == carddav;
        const QStringView name = xml.name();
        if (open.empty() && !(inDav && name == u"multistatus"))
            break; // not a multistatus: reported below
        const auto text = [&] { return xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement); };
        if (inDav && name == u"href" && parent == Tag::Response)
            response.href = text();
        else if (inDav && name == u"href" && parent == Tag::Principal)
            found.principal = text();
        else if (inDav && name == u"href" && parent == Tag::HomeSet)
            found.homeSets << text();
        else if (inDav && name == u"status" && parent == Tag::Response)
            response.status = statusCode(text());
        else if (inDav && name == u"status" && parent == Tag::PropStat)
            propStatus = statusCode(text());
        else if (inDav && name == u"sync-token" && parent == Tag::MultiStatus)
            result.syncToken = text();
        else if (inDav && name == u"getetag" && parent == Tag::Prop)
            found.etag = text();
        else if (inDav && name == u"displayname" && parent == Tag::Prop)
            found.displayName = text();
        else if (inDav && name == u"sync-token" && parent == Tag::Prop)
            found.syncToken = text();
        else if (inCardDav && name == u"address-data" && parent == Tag::Prop) {
            const QString card = text();
            found.addressDataTooLarge = card.size() > cardLimit;
            found.addressData = found.addressDataTooLarge ? QByteArray() : card.toUtf8();
        } else {
            Tag tag = Tag::Other;
            if (open.empty()) {
                tag = Tag::MultiStatus;
                isMultiStatus = true;
            } else if (inDav && name == u"response" && parent == Tag::MultiStatus)
                tag = Tag::Response;
            else if (inDav && name == u"propstat" && parent == Tag::Response)
                tag = Tag::PropStat;
            else if (inDav && name == u"prop" && parent == Tag::PropStat)
                tag = Tag::Prop;
            else if (inDav && name == u"resourcetype" && parent == Tag::Prop)
                tag = Tag::ResourceType;
            else if (inDav && name == u"current-user-principal" && parent == Tag::Prop)
                tag = Tag::Principal;
            else if (inCardDav && name == u"addressbook-home-set" && parent == Tag::Prop)
                tag = Tag::HomeSet;
            else if (parent == Tag::ResourceType) {
                found.isCollection = found.isCollection || (inDav && name == u"collection");
                found.isAddressBook = found.isAddressBook || (inCardDav && name == u"addressbook");
            }
            open.push_back(tag);
        }
    }
    if (!isMultiStatus || xml.hasError() || !open.empty()) {
        error = QStringLiteral("The server's answer could not be read.");
        return std::nullopt;
    }
    return result;
}

} // namespace cw::addressbook
