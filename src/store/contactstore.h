#pragma once
// The sync rules on the store: what becomes of a source's contacts as they are read. Each contact with
// a birthday has one row in the birthday table unless its name, month and day equal a row already
// there (which stays the user's own), in this book or another, or it is hidden; such a contact stands
// back. A change upstream changes its row, and a contact gone upstream, or whose birthday went, loses
// it: the row passes to a contact of any book that stood back for it, or goes. A contact's anniversary
// is a day of its own under the same rules, and stands back only for an anniversary. Every call is one
// short write transaction, which first takes in what other connections committed.
#include "core/birthdayrecord.h"
#include "store/dateextras.h"

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
    // The bytes hold no readable card (half written, garbage), or its birthday is a damaged value: the
    // contact stays as it was, and is read again at the next sync.
    bool damaged = false;
    ReadEntry anniversary; // the card's anniversary, which has a row of its own
};

// A contact's anniversary has a link of its own beside its birthday's, under its href with this added.
QString anniversaryHref(const QString& href);
DateKind kindOfHref(const QString& href);
// The href of the link of the contact's other day: its anniversary's for its birthday's, and back.
QString otherDayHref(const QString& href);
// The kind of the link l in a statement: 1 for an anniversary's, 0 for a birthday's.
constexpr const char* linkKindColumn = "(substr(l.Href,-12)='#anniversary')";

// What a hidden contact is known by in its book, whatever its file name or path: its UID (which
// hides its birthday and anniversary alike), or its name, date and kind when it has none.
QString hideKey(const QString& uid, const QString& name, int month, int day,
                DateKind kind = DateKind::Birthday);

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
    // Removes the source, its links and hidden contacts; the rows that another book still holds pass
    // to it, the others go. Returns how many rows went.
    int removeSource();

    // The name the book gives itself, unless the user named the source; returns whether it changed.
    bool takeBookName(const QString& name);
    QString syncToken();
    void setSyncToken(const QString& token);
    // Records how the sync ended: the time of success, or the error in words (the rows stay).
    void finish(bool ok, const QString& error);

  private:
    struct Statements;
    struct Row {
        qint64 id = 0;
        QString name;
        int month = 0;
        int day = 0;
        DateKind kind = DateKind::Birthday;
    };
    struct Link {
        qint64 id = 0;
        QString href;
        QString uid;
        Row birthday;      // of the contact; no name when it has none
        DateExtras extras; // the year and date of death the contact gives
    };
    struct LinkQueries;
    void checkSource();
    // Inside each transaction: the source still there, and the row keys as the store holds them now.
    void begin();
    template <typename Step> auto write(Step step);
    // Once a sync: the contacts without a row, and rows that double another.
    bool sweep(Statements& statements);
    bool dropDoubles(Statements& statements);
    bool place(Statements& statements, const Link& link);
    // One of a contact's days (its birthday or its anniversary) under the link of that href.
    bool applyDay(Statements& statements, LinkQueries& queries, const Contact& contact, const QString& href,
                  const ReadEntry& day);
    bool release(Statements& statements, const Row& row);
    int rowsLike(const Row& birthday) const; // rows of the list with its name, month and day
    void countKey(const Row& birthday, int delta);

    Connection& connection_;
    qint64 sourceId_;
    QHash<QString, int> rowKeys_; // name, month and day of the rows in the list, and how many
    qint64 dataVersion_ = -1;     // the store's as rowKeys_ was read
    bool swept_ = false;
};

} // namespace cw::addressbook
