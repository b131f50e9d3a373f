#include "sync/contactcard.h"

#include "formats/vcardreader.h"

#include <QBuffer>

namespace cw::addressbook {

Contact readContact(const QString& href, const QString& etag, const QByteArray& card) {
    QByteArray bytes = card;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    VCardReader reader(buffer);
    Contact contact{href, {}, etag, std::nullopt, false, std::nullopt};
    const bool read = reader.next(contact.birthday);
    contact.uid = reader.uid();
    for (const ReadEntry& entry : reader.entries())
        if (entry && entry->kind == DateKind::Anniversary)
            contact.anniversary = entry;
    contact.damaged = !read || reader.damaged();
    return contact;
}

} // namespace cw::addressbook
