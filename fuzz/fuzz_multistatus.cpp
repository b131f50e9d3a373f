// Any bytes as a server's multistatus answer, read whole and in two pieces cut where the first byte
// says: the pieces read exactly as the whole does, and what is kept stays within the bounds.
#include "sync/davxml.h"

#include <cstdio>
#include <cstdlib>

using cw::addressbook::DavResponse;
using cw::addressbook::MultiStatusReader;

namespace {

constexpr qsizetype cardLimit = 64; // small, so that the bound is met often

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

bool same(const DavResponse& a, const DavResponse& b) {
    return a.href == b.href && a.status == b.status && a.etag == b.etag && a.displayName == b.displayName &&
           a.isCollection == b.isCollection && a.isAddressBook == b.isAddressBook &&
           a.principal == b.principal && a.homeSets == b.homeSets && a.syncToken == b.syncToken &&
           a.addressData == b.addressData && a.addressDataTooLarge == b.addressDataTooLarge;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const qsizetype cut = bytes.isEmpty() ? 0 : data[0] % bytes.size();
    QString error;
    const auto whole = cw::addressbook::readMultiStatus(bytes, cardLimit, error);
    std::vector<DavResponse> pieces;
    MultiStatusReader reader(cardLimit, [&pieces](DavResponse&& response) {
        pieces.push_back(std::move(response));
        return true;
    });
    const bool read = reader.feed(bytes.first(cut)) && reader.feed(bytes.sliced(cut)) && reader.finish();
    if (read != whole.has_value() || (!read && reader.error() != error))
        fail("the pieces read otherwise than the whole");
    if (!read)
        return 0;
    if (pieces.size() != whole->responses.size() || reader.syncToken() != whole->syncToken)
        fail("the pieces gave other responses than the whole");
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (!same(pieces[i], whole->responses[i]))
            fail("a response read otherwise in pieces");
        if (pieces[i].addressData.size() > 3 * cardLimit ||
            pieces[i].href.size() > MultiStatusReader::maxText)
            fail("a text past its bound was kept");
    }
    return 0;
}
