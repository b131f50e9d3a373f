#pragma once
// The sync rules on the store: what becomes of a source's contacts as they are read. Each contact with
// a birthday has one row in the birthday table unless its name, month and day equal a row already
// there (which stays the user's own) or it is hidden; a change upstream changes its row, and a contact
// gone upstream, or whose birthday went, loses it. Every call is one short write transaction.
#include "core/birthdayrecord.h"

#include <QHash>
#include <QString>

#include <vector>

namespace cw {
class Connection;
}

namespace cw::addressbook {

struct Contact {
    QString href; // the file name in a folder, the path on a server
    QString uid;
    QString etag;
    ReadEntry birthday; // nothing when the card has no birthday, no name or no readable date
    bool damaged = false;
};

// The contact of one vCard file or address-data: the first card, read by the vCard import's rules.
Contact readContact(const QString& href, const QString& etag, const QByteArray& card);

// Records a sync that failed before it reached the store (no password), opening the store at path.
void recordFailure(const QString& storePath, qint64 sourceId, const QString& error);

class ContactStore {
  public:
    // Throws AppError when the source is not (or no longer) in the store.
    ContactStore(Connection& connection, qint64 sourceId);

    // The ETag last read of every contact known from the source, by href.
    QHash<QString, QString> knownETags();
    // Each returns whether rows of the birthday table changed.
    bool apply(const std::vector<Contact>& contacts);
    bool remove(const QStringList& hrefs);
    // Gives every unhidden contact with a birthday and no row its row, unless an equal row is there.
    bool settle();

    QString syncToken();
    void setSyncToken(const QString& token);
    // Records how the sync ended: the time of success, or the error in words (the rows stay).
    void finish(bool ok, const QString& error);

  private:
    void checkSource();
    void loadRowKeys();
    bool settleInTransaction();
    void countKey(const QString& name, int month, int day, int delta);

    Connection& connection_;
    qint64 sourceId_;
    QHash<QString, int> rowKeys_; // name, month and day of the rows in the list, and how many
    bool keysLoaded_ = false;
};

} // namespace cw::addressbook
