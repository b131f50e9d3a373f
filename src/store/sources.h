#pragma once
// Address books the user subscribes to, kept in the store beside the birthday table: the sources
// ("tblSource"), the link from each row of the birthday table to the contact it came from
// ("tblContactLink"), and the contacts hidden from the list ("tblHidden"). The birthday table and its columns
// are never changed, so every other reader of the list keeps working. Every function works on an open
// connection and throws AppError with the engine's message.
#include <QDateTime>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

namespace cw {
class Connection;
}

namespace cw::addressbook {

enum class SourceKind { Folder = 1, CardDav = 2 };

struct SourceInfo {
    qint64 id = 0;
    SourceKind kind = SourceKind::Folder;
    QString location;    // the folder's path, or the address book's https:// address
    QString userName;    // CardDAV only
    QString displayName; // the user's name for it, else the folder's own (displayname file) or the book's
    int birthdayCount = 0;
    int hiddenCount = 0;
    QDateTime lastSync;     // of the last sync that succeeded; invalid when none did
    QString lastError;      // plain words; empty when the last sync succeeded
    bool allowHttp = false; // the user accepted http:// to the book's server
    QByteArray certificate; // the server's certificate (PEM) the user trusted; empty: the system decides
};

// Creates the two tables when they are missing; a store without them is a store without sources.
void ensureTables(Connection& connection);
std::vector<SourceInfo> listSources(Connection& connection);
std::optional<SourceInfo> findSource(Connection& connection, qint64 sourceId);
qint64 addSource(Connection& connection, SourceKind kind, const QString& location, const QString& userName,
                 const QString& displayName, bool allowHttp = false, const QByteArray& certificate = {});
// Names the source as the user wants it; its syncs keep that name, whatever the book calls itself.
void renameSource(Connection& connection, qint64 sourceId, const QString& name);
// Removes the source, its links, its hidden contacts and the rows that came from it, but for those
// another book still holds, which pass to that book; returns how many rows went.
int removeSource(Connection& connection, qint64 sourceId);

// Where a row of the birthday table comes from; nothing for the user's own rows.
struct RowOrigin {
    qint64 sourceId = 0;
    QString sourceName; // the source's display name
};
std::optional<RowOrigin> originOf(Connection& connection, qint64 birthdayId);
// The origins of all subscribed rows at once, by the rows' ids.
QHash<qint64, RowOrigin> originsOfRows(Connection& connection);

// Hides the contact behind a subscribed row, in every book that holds it: the row goes, and later syncs
// do not bring it back, whatever its file is called or however long its book is empty or failing.
void hideContact(Connection& connection, qint64 birthdayId);
struct HiddenContact {
    qint64 sourceId = 0;
    QString href; // the contact's file name or server path, as last read
    QString name; // as last read
    QString key;  // what showContact takes
};
std::vector<HiddenContact> hiddenContacts(Connection& connection, qint64 sourceId);
// Shows a hidden contact again, named by its key or by its href: its row comes back (at once when the
// book holds it with a birthday).
void showContact(Connection& connection, qint64 sourceId, const QString& key);

} // namespace cw::addressbook
