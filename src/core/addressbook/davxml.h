#pragma once
// The WebDAV answers a CardDAV client reads (multistatus of PROPFIND and REPORT, and error bodies),
// streamed with QXmlStreamReader. A DTD, and with it every entity of its own, is refused: an answer
// that holds one is no answer.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace cw::addressbook {

struct DavResponse {
    QString href;   // as the server wrote it
    int status = 0; // of the response as a whole (404: gone, 507: cut short); 0 when it has none
    QString etag;
    QString displayName;
    bool isCollection = false;
    bool isAddressBook = false;
    QString principal;    // current-user-principal
    QStringList homeSets; // addressbook-home-set
    QString syncToken;    // the collection's sync-token property
    QByteArray addressData;
    bool addressDataTooLarge = false; // over the one-card bound: not kept
};

struct MultiStatus {
    std::vector<DavResponse> responses;
    QString syncToken; // of a sync-collection report
};

// Only the properties of a propstat whose status is 200 are taken. Nothing, with the reason in error,
// for an answer that is not a well-formed multistatus.
std::optional<MultiStatus> readMultiStatus(const QByteArray& body, qsizetype cardLimit, QString& error);

} // namespace cw::addressbook
