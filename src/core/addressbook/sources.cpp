#include "core/addressbook/sources.h"

#include "core/addressbook/contactstore.h"
#include "core/addressbook/storequery.h"

namespace cw::addressbook {

namespace {
// A store of an older version has no sources until a writer creates the tables.
bool haveTables(Connection& connection) {
    Query query(connection, "select count(*) from sqlite_master where type='table' and name in "
                            "('tblSource','tblContactLink')");
    return query.next() && query.number(0) == 2;
}

constexpr const char* sourceColumns =
    "select s.id, s.Kind, s.Location, s.UserName, s.DisplayName, s.LastSync, s.LastError, "
    "(select count(*) from tblContactLink l where l.SourceId=s.id and l.BirthdayId is not null), "
    "(select count(*) from tblContactLink l where l.SourceId=s.id and l.Hidden<>0) from tblSource s ";

SourceInfo sourceFrom(const Query& query) {
    SourceInfo source;
    source.id = query.number(0);
    source.kind = query.number(1) == int(SourceKind::CardDav) ? SourceKind::CardDav : SourceKind::Folder;
    source.location = query.text(2);
    source.userName = query.text(3);
    source.displayName = query.text(4);
    if (!query.isNull(5))
        source.lastSync = QDateTime::fromString(query.text(5), Qt::ISODateWithMs).toLocalTime();
    source.lastError = query.text(6);
    source.birthdayCount = int(query.number(7));
    source.hiddenCount = int(query.number(8));
    return source;
}
} // namespace

void ensureTables(Connection& connection) {
    if (haveTables(connection))
        return;
    Transaction transaction(connection);
    connection.execute(QStringLiteral(
        "create table if not exists tblSource (id INTEGER PRIMARY KEY AUTOINCREMENT, Kind INTEGER NOT NULL, "
        "Location TEXT NOT NULL, UserName TEXT, DisplayName TEXT, SyncToken TEXT, LastSync TEXT, LastError "
        "TEXT)"));
    connection.execute(
        QStringLiteral("create table if not exists tblContactLink (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                       "SourceId INTEGER NOT "
                       "NULL, Href TEXT NOT NULL, Uid TEXT, ETag TEXT, BirthdayId INTEGER, Hidden INTEGER "
                       "NOT NULL DEFAULT 0, "
                       "Person TEXT, BirthMonth INTEGER, BirthDay INTEGER, UNIQUE (SourceId, Href))"));
    connection.execute(
        QStringLiteral("create index if not exists ixContactLinkBirthday on tblContactLink (BirthdayId)"));
    transaction.commit();
}

std::vector<SourceInfo> listSources(Connection& connection) {
    std::vector<SourceInfo> sources;
    if (!haveTables(connection))
        return sources;
    Query query(connection, (QByteArray(sourceColumns) + "order by s.id").constData());
    while (query.next())
        sources.push_back(sourceFrom(query));
    return sources;
}

std::optional<SourceInfo> findSource(Connection& connection, qint64 sourceId) {
    if (!haveTables(connection))
        return std::nullopt;
    Query query(connection, (QByteArray(sourceColumns) + "where s.id=?").constData());
    query.bind(1, sourceId);
    if (!query.next())
        return std::nullopt;
    return sourceFrom(query);
}

qint64 addSource(Connection& connection, SourceKind kind, const QString& location, const QString& userName,
                 const QString& displayName) {
    ensureTables(connection);
    Query(connection, "insert into tblSource (Kind,Location,UserName,DisplayName) values (?,?,?,?)")
        .bind(1, qint64(kind))
        .bind(2, location)
        .bind(3, userName)
        .bind(4, displayName)
        .run();
    return lastInsertId(connection);
}

int removeSource(Connection& connection, qint64 sourceId) {
    if (!haveTables(connection))
        return 0;
    Transaction transaction(connection);
    Query rows(connection, "delete from tblBirthday where id in (select BirthdayId from tblContactLink where "
                           "SourceId=? and BirthdayId is not null)");
    rows.bind(1, sourceId).run();
    const int removed = changedRows(connection);
    Query(connection, "delete from tblContactLink where SourceId=?").bind(1, sourceId).run();
    Query(connection, "delete from tblSource where id=?").bind(1, sourceId).run();
    transaction.commit();
    return removed;
}

std::optional<RowOrigin> originOf(Connection& connection, qint64 birthdayId) {
    if (!haveTables(connection))
        return std::nullopt;
    Query query(connection, "select s.id, s.DisplayName from tblContactLink l join tblSource s on "
                            "s.id=l.SourceId where l.BirthdayId=?");
    query.bind(1, birthdayId);
    if (!query.next())
        return std::nullopt;
    return RowOrigin{query.number(0), query.text(1)};
}

void hideContact(Connection& connection, qint64 birthdayId) {
    Transaction transaction(connection);
    Query link(connection, "update tblContactLink set Hidden=1, BirthdayId=null where BirthdayId=?");
    link.bind(1, birthdayId).run();
    if (changedRows(connection) > 0)
        Query(connection, "delete from tblBirthday where id=?").bind(1, birthdayId).run();
    transaction.commit();
}

std::vector<HiddenContact> hiddenContacts(Connection& connection, qint64 sourceId) {
    std::vector<HiddenContact> hidden;
    if (!haveTables(connection))
        return hidden;
    Query query(connection, "select Href, Person from tblContactLink where SourceId=? and Hidden<>0 order by "
                            "Person collate nocase, Href");
    query.bind(1, sourceId);
    while (query.next())
        hidden.push_back({sourceId, query.text(0), query.text(1)});
    return hidden;
}

void showContact(Connection& connection, qint64 sourceId, const QString& href) {
    Query(connection, "update tblContactLink set Hidden=0 where SourceId=? and Href=?")
        .bind(1, sourceId)
        .bind(2, href)
        .run();
    ContactStore(connection, sourceId).settle();
}

} // namespace cw::addressbook
