#pragma once
#include "store/contactstore.h"

#include <QByteArray>
#include <QString>

namespace cw::addressbook {

// The contact of one vCard file or address-data: the first card, read by the vCard import's rules.
Contact readContact(const QString& href, const QString& etag, const QByteArray& card);

} // namespace cw::addressbook
