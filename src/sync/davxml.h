#pragma once
// The WebDAV answers a CardDAV client reads (multistatus of PROPFIND and REPORT), read as a stream:
// bytes go in as they arrive and each response comes out once it is closed, so neither a large
// answer nor a large card is held whole. Every answer is taken as hostile: a DTD (and with it every
// entity of its own) is refused, and so is an element past the bounds on attributes, nesting and
// text below, which would otherwise cost time or memory far beyond the answer's size. After the closed
// multistatus only what XML allows there may follow, so an answer reads the same in any pieces.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
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

class MultiStatusReader {
  public:
    static constexpr int maxAttributes = 64;       // on one element
    static constexpr int maxDepth = 32;            // elements open at once
    static constexpr qsizetype maxText = 64 << 10; // of any text but a card

    // Each response as soon as it is closed; returning false stops the reading (a bound was passed,
    // and the receiver has said why). Only the properties of a propstat whose status is 200 are taken.
    using Each = std::function<bool(DavResponse&& response)>;
    MultiStatusReader(qsizetype cardLimit, Each each);
    ~MultiStatusReader();
    MultiStatusReader(const MultiStatusReader&) = delete;
    MultiStatusReader& operator=(const MultiStatusReader&) = delete;

    // The next bytes of the answer; false once it is refused (error() says why), after which further
    // bytes are ignored.
    bool feed(QByteArrayView bytes);
    // After the last bytes: whether the answer was a whole, well-formed multistatus.
    bool finish();
    // Why the answer was refused, in words; empty while it is not.
    QString error() const;
    // The sync-token of a sync-collection report, once read.
    QString syncToken() const;

  private:
    struct Private;
    std::unique_ptr<Private> d;
};

// A whole answer at once. Nothing, with the reason in error, for one that is not a well-formed multistatus.
std::optional<MultiStatus> readMultiStatus(const QByteArray& body, qsizetype cardLimit, QString& error);

} // namespace cw::addressbook
