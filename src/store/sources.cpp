#include "store/sources.h"

#include "store/contactstore.h"
#include "store/dateextras.h"
#include "store/query.h"

namespace cw::addressbook {

namespace {
bool hasTables(Connection& connection, const char* names, int count) {
    Query query(connection,
                (QByteArray("select count(*) from sqlite_master where name in (") + names + ")").constData());
    return query.next() && query.number(0) == count;
}

bool hasColumn(Connection& connection, const char* table, const char* column) {
    Query query(connection, "select count(*) from pragma_table_info(?) where name=?");
    query.bind(1, QString::fromLatin1(table)).bind(2, QString::fromLatin1(column));
    return query.next() && query.number(0) == 1;
}

// The columns that a store of an older version lacks: what the user trusted for the book (http:// to
// its server, its certificate), whether the user named it, and the year and date of death a contact
// gives, for a row placed again later.
struct AddedColumn {
    const char* table;
    const char* name;
    const char* type;
};
constexpr AddedColumn addedColumns[] = {{"tblSource", "AllowHttp", "INTEGER NOT NULL DEFAULT 0"},
                                        {"tblSource", "TrustedCertificate", "TEXT"},
                                        {"tblSource", "NameByUser", "INTEGER NOT NULL DEFAULT 0"},
                                        {"tblContactLink", "BirthYear", "INTEGER"},
                                        {"tblContactLink", "DeathDate", "TEXT"}};

bool hasTrustColumns(Connection& connection) {
    return hasColumn(connection, "tblSource", "AllowHttp") &&
           hasColumn(connection, "tblSource", "TrustedCertificate");
}

bool hasAddedColumns(Connection& connection) {
    for (const AddedColumn& column : addedColumns)
        if (!hasColumn(connection, column.table, column.name))
            return false;
    return true;
}

// A store of an older version has no sources until a writer creates the tables.
bool haveTables(Connection& connection) {
    return hasTables(connection, "'tblSource','tblContactLink'", 2);
}

// The source's columns; a store of the last version keeps hiding on the links until a writer moves it.
QByteArray sourceColumns(Connection& connection) {
    const char* hidden =
        hasTables(connection, "'tblHidden'", 1)
            ? "(select count(*) from tblHidden h where h.SourceId=s.id), "
            : "(select count(*) from tblContactLink l where l.SourceId=s.id and l.Hidden<>0), ";
    const char* trust = hasTrustColumns(connection) ? "s.AllowHttp, s.TrustedCertificate " : "0, null ";
    return QByteArray("select s.id, s.Kind, s.Location, s.UserName, s.DisplayName, s.LastSync, s.LastError, "
                      "(select count(*) from tblContactLink l where l.SourceId=s.id and l.BirthdayId is not "
                      "null), ") +
           hidden + trust + "from tblSource s ";
}

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
    source.allowHttp = query.number(9) != 0;
    source.certificate = query.text(10).toLatin1();
    return source;
}

// Hides the contacts of the links a query gives: source, href, UID, name, month and day.
void hideLinks(Connection& connection, Query& links) {
    Query hide(connection, "insert or ignore into tblHidden (SourceId,Key,Href,Person) values (?,?,?,?)");
    while (links.next())
        hide.bind(1, links.number(0))
            .bind(2, hideKey(links.text(2), links.text(3), int(links.number(4)), int(links.number(5)),
                             kindOfHref(links.text(1))))
            .bind(3, links.text(1))
            .bind(4, links.text(3))
            .run();
}

constexpr const char* linkColumns = "select l.SourceId, l.Href, l.Uid, l.Person, l.BirthMonth, l.BirthDay ";
} // namespace

void ensureTables(Connection& connection) {
    if (hasTables(connection, "'tblSource','tblContactLink','tblHidden','ixContactLinkPerson'", 4) &&
        hasAddedColumns(connection))
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
    for (const AddedColumn& column : addedColumns)
        if (!hasColumn(connection, column.table, column.name))
            connection.execute(QStringLiteral("alter table %1 add column %2 %3")
                                   .arg(QLatin1String(column.table), QLatin1String(column.name),
                                        QLatin1String(column.type)));
    connection.execute(
        QStringLiteral("create index if not exists ixContactLinkBirthday on tblContactLink (BirthdayId)"));
    // The contacts of any book that stand back for a row, found by its name and date.
    connection.execute(QStringLiteral(
        "create index if not exists ixContactLinkPerson on tblContactLink (Person, BirthMonth, BirthDay)"));
    connection.execute(QStringLiteral("create table if not exists tblHidden (id INTEGER PRIMARY KEY "
                                      "AUTOINCREMENT, SourceId INTEGER NOT NULL, "
                                      "Key TEXT NOT NULL, Href TEXT, Person TEXT, UNIQUE (SourceId, Key))"));
    // Hiding was kept on the link, and went with it when the file was renamed or the book was empty for
    // a moment: it moves to tblHidden, by the contact's key.
    Query hidden(connection,
                 (QByteArray(linkColumns) + "from tblContactLink l where l.Hidden<>0").constData());
    hideLinks(connection, hidden);
    connection.execute(QStringLiteral("update tblContactLink set Hidden=0 where Hidden<>0"));
    transaction.commit();
}

std::vector<SourceInfo> listSources(Connection& connection) {
    std::vector<SourceInfo> sources;
    if (!haveTables(connection))
        return sources;
    Query query(connection, (sourceColumns(connection) + "order by s.id").constData());
    while (query.next())
        sources.push_back(sourceFrom(query));
    return sources;
}

std::optional<SourceInfo> findSource(Connection& connection, qint64 sourceId) {
    if (!haveTables(connection))
        return std::nullopt;
    Query query(connection, (sourceColumns(connection) + "where s.id=?").constData());
    query.bind(1, sourceId);
    if (!query.next())
        return std::nullopt;
    return sourceFrom(query);
}

qint64 addSource(Connection& connection, SourceKind kind, const QString& location, const QString& userName,
                 const QString& displayName, bool allowHttp, const QByteArray& certificate) {
    ensureTables(connection);
    Query(connection,
          "insert into tblSource (Kind,Location,UserName,DisplayName,AllowHttp,TrustedCertificate) "
          "values (?,?,?,?,?,?)")
        .bind(1, qint64(kind))
        .bind(2, location)
        .bind(3, userName)
        .bind(4, displayName)
        .bind(5, qint64(allowHttp))
        .bind(6, certificate.isEmpty() ? QString() : QString::fromLatin1(certificate))
        .run();
    return lastInsertId(connection);
}

void renameSource(Connection& connection, qint64 sourceId, const QString& name) {
    ensureTables(connection);
    Query(connection, "update tblSource set DisplayName=?, NameByUser=1 where id=?")
        .bind(1, name)
        .bind(2, sourceId)
        .run();
}

int removeSource(Connection& connection, qint64 sourceId) {
    if (!haveTables(connection))
        return 0;
    ensureTables(connection);
    if (!Query(connection, "select 1 from tblSource where id=?").bind(1, sourceId).next())
        return 0;
    return ContactStore(connection, sourceId).removeSource();
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

QHash<qint64, RowOrigin> originsOfRows(Connection& connection) {
    QHash<qint64, RowOrigin> origins;
    if (!haveTables(connection))
        return origins;
    Query query(connection, "select l.BirthdayId, s.id, s.DisplayName from tblContactLink l join tblSource s "
                            "on s.id=l.SourceId where l.BirthdayId is not null");
    while (query.next())
        origins.insert(query.number(0), RowOrigin{query.number(1), query.text(2)});
    return origins;
}

namespace {
// Hides the contact of a subscribed row in every book that holds it, and deletes the row; false for
// the user's own row.
bool hideRow(Connection& connection, qint64 birthdayId) {
    Query owner(connection, "select Href from tblContactLink where BirthdayId=?");
    if (!owner.bind(1, birthdayId).next())
        return false;
    const DateKind kind = kindOfHref(owner.text(0));
    Query(connection, "update tblContactLink set BirthdayId=null where BirthdayId=?")
        .bind(1, birthdayId)
        .run();
    Query holders(connection, QByteArray(linkColumns) +
                                  "from tblBirthday b join tblContactLink l on l.Person=b.Person and "
                                  "l.BirthMonth=b.BirthMonth and l.BirthDay=b.BirthDay where b.id=? and "
                                  "l.BirthdayId is null and " +
                                  linkKindColumn + "=?");
    holders.bind(1, birthdayId).bind(2, qint64(kind));
    hideLinks(connection, holders);
    Query(connection, "delete from tblBirthday where id=?").bind(1, birthdayId).run();
    return true;
}

// The rows of the contact's other day: its anniversary's beside its birthday's, and the other way.
std::vector<qint64> otherDayRows(Connection& connection, qint64 birthdayId) {
    Query links(connection, "select SourceId, Href from tblContactLink where BirthdayId=?");
    links.bind(1, birthdayId);
    Query other(connection, QByteArray(linkColumns) +
                                ", l.BirthdayId from tblContactLink l where l.SourceId=? "
                                "and l.Href=? and l.BirthMonth is not null");
    std::vector<qint64> rows;
    while (links.next()) {
        const QString href = links.text(1);
        const QString otherHref = otherDayHref(href);
        other.bind(1, links.number(0)).bind(2, otherHref);
        if (!other.next())
            continue;
        if (!other.isNull(6))
            rows.push_back(other.number(6));
        // Hidden even while it stands back for another row, so that it does not come later.
        other.bind(1, links.number(0)).bind(2, otherHref);
        hideLinks(connection, other);
    }
    return rows;
}
} // namespace

void hideContact(Connection& connection, qint64 birthdayId) {
    ensureTables(connection);
    Transaction transaction(connection);
    const std::vector<qint64> others = otherDayRows(connection, birthdayId);
    if (!hideRow(connection, birthdayId))
        return; // the user's own row
    // Hidden in every book that holds the contact, so that none brings the birthday back; its other day
    // goes with it.
    for (const qint64 other : others)
        hideRow(connection, other);
    transaction.commit();
}

std::vector<HiddenContact> hiddenContacts(Connection& connection, qint64 sourceId) {
    std::vector<HiddenContact> hidden;
    if (!haveTables(connection))
        return hidden;
    ensureTables(connection);
    Query query(connection,
                "select Key, Href, Person from tblHidden where SourceId=? order by Person collate "
                "nocase, Href");
    query.bind(1, sourceId);
    while (query.next())
        hidden.push_back({sourceId, query.text(1), query.text(2), query.text(0)});
    return hidden;
}

void showContact(Connection& connection, qint64 sourceId, const QString& key) {
    ensureTables(connection);
    Query(connection, "delete from tblHidden where SourceId=? and (Key=?2 or Href=?2)")
        .bind(1, sourceId)
        .bind(2, key)
        .run();
    ContactStore(connection, sourceId).settle();
}

} // namespace cw::addressbook
