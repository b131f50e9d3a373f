#include "store/contactstore.h"

#include "core/apperror.h"
#include "store/query.h"

#include <QDateTime>

#include <utility>

namespace cw::addressbook {

namespace {
const QString anniversarySuffix = QStringLiteral("#anniversary");

DateKind kindOf(qint64 column) {
    return column == 1 ? DateKind::Anniversary : DateKind::Birthday;
}

// The kind of a row of the birthday table o in a statement; a store without extras has birthdays only.
QByteArray rowKindColumn(Connection& connection) {
    return hasDateExtras(connection)
               ? "coalesce((select x.Kind from tblBirthdayExtra x where x.BirthdayId=o.id),0)"
               : "0";
}
} // namespace

QString anniversaryHref(const QString& href) {
    return href + anniversarySuffix;
}

DateKind kindOfHref(const QString& href) {
    return href.endsWith(anniversarySuffix) ? DateKind::Anniversary : DateKind::Birthday;
}

QString otherDayHref(const QString& href) {
    return kindOfHref(href) == DateKind::Anniversary ? href.chopped(anniversarySuffix.size())
                                                     : anniversaryHref(href);
}

QString hideKey(const QString& uid, const QString& name, int month, int day, DateKind kind) {
    if (!uid.isEmpty())
        return QStringLiteral("u") + QChar(0x1f) + uid;
    return QStringLiteral("n") + QChar(0x1f) + birthdayKey(name, month, day, kind);
}

void recordFailure(const QString& storePath, qint64 sourceId, const QString& error) {
    Connection connection;
    openStore(connection, storePath);
    ContactStore(connection, sourceId).finish(false, error);
}

// The statements a transaction shares, prepared once for it.
struct ContactStore::Statements {
    explicit Statements(Connection& connection)
        : hide(connection, "update tblHidden set Href=?,Person=? where SourceId=? and Key=?"),
          isHidden(connection, "select 1 from tblHidden where SourceId=? and Key=?"),
          insertRow(connection, "insert into tblBirthday (Person,BirthMonth,BirthDay) values (?,?,?)"),
          deleteRow(connection, "delete from tblBirthday where id=?"),
          link(connection, "update tblContactLink set BirthdayId=? where id=?"),
          waiting(connection, QByteArray("select l.id, l.SourceId, l.Uid, l.Person, l.BirthMonth, l.BirthDay "
                                         "from tblBirthday b join tblContactLink l on l.Person=b.Person and "
                                         "l.BirthMonth=b.BirthMonth and l.BirthDay=b.BirthDay where b.id=?1 "
                                         "and l.BirthdayId is null and ") +
                                  linkKindColumn + "=?2 order by l.id") {}
    Query hide;
    Query isHidden;
    Query insertRow;
    Query deleteRow;
    Query link;
    Query waiting; // contacts of any book that stood back for a row
};

ContactStore::ContactStore(Connection& connection, qint64 sourceId)
    : connection_(connection), sourceId_(sourceId) {
    checkSource();
}

void ContactStore::checkSource() {
    // A source removed while its sync ran gets no links back.
    if (!Query(connection_, "select 1 from tblSource where id=?").bind(1, sourceId_).next())
        throw AppError(QStringLiteral("The address book has been removed."));
}

QHash<QString, QString> ContactStore::knownETags() {
    QHash<QString, QString> known;
    // An anniversary's link is read with its card's.
    Query query(connection_, "select Href, ETag from tblContactLink where SourceId=?");
    query.bind(1, sourceId_);
    while (query.next())
        if (kindOfHref(query.text(0)) == DateKind::Birthday)
            known.insert(query.text(0), query.text(1));
    return known;
}

void ContactStore::begin() {
    checkSource();
    // Another connection (a sync of another book, the window, another process) may have committed rows
    // since they were counted.
    const qint64 now = dataVersion(connection_);
    if (now == dataVersion_)
        return;
    dataVersion_ = now;
    rowKeys_.clear();
    Query query(connection_, "select o.Person, o.BirthMonth, o.BirthDay, " + rowKindColumn(connection_) +
                                 " from tblBirthday o");
    while (query.next())
        ++rowKeys_[birthdayKey(query.text(0), int(query.number(1)), int(query.number(2)),
                               kindOf(query.number(3)))];
}

int ContactStore::rowsLike(const Row& birthday) const {
    return rowKeys_.value(birthdayKey(birthday.name, birthday.month, birthday.day, birthday.kind));
}

void ContactStore::countKey(const Row& birthday, int delta) {
    rowKeys_[birthdayKey(birthday.name, birthday.month, birthday.day, birthday.kind)] += delta;
}

bool ContactStore::place(Statements& statements, const Link& link) {
    const Row& birthday = link.birthday;
    // Hidden: the name and path it is shown by follow the contact.
    statements.hide.bind(1, link.href)
        .bind(2, birthday.name)
        .bind(3, sourceId_)
        .bind(4, hideKey(link.uid, birthday.name, birthday.month, birthday.day, birthday.kind))
        .run();
    if (birthday.name.isEmpty() || changedRows(connection_) > 0 || rowsLike(birthday) > 0)
        return false;
    statements.insertRow.bind(1, birthday.name)
        .bind(2, qint64(birthday.month))
        .bind(3, qint64(birthday.day))
        .run();
    const qint64 rowId = lastInsertId(connection_);
    if (!link.extras.plain())
        writeDateExtras(connection_, rowId, link.extras);
    statements.link.bind(1, rowId).bind(2, link.id).run();
    countKey(birthday, 1);
    return true;
}

bool ContactStore::release(Statements& statements, const Row& row) {
    Query& waiting = statements.waiting;
    waiting.bind(1, row.id).bind(2, qint64(row.kind));
    while (waiting.next()) {
        const qint64 linkId = waiting.number(0);
        statements.isHidden.bind(1, waiting.number(1))
            .bind(2, hideKey(waiting.text(2), waiting.text(3), int(waiting.number(4)), int(waiting.number(5)),
                             row.kind));
        if (!statements.isHidden.next()) {
            statements.link.bind(1, row.id).bind(2, linkId).run();
            return false;
        }
    }
    statements.deleteRow.bind(1, row.id).run();
    countKey(row, -1);
    return true;
}

bool ContactStore::dropDoubles(Statements& statements) {
    // Rows of this book that double an equal row, the user's own or an older one of another book, as an
    // earlier version left them when two syncs ran at once: they go, and their contacts stand back.
    Query owned(connection_,
                "select l.id, b.id, b.Person, b.BirthMonth, b.BirthDay, l.Href from tblContactLink "
                "l join tblBirthday b on b.id=l.BirthdayId where l.SourceId=?");
    owned.bind(1, sourceId_);
    std::vector<std::pair<qint64, Row>> doubles;
    while (owned.next()) {
        const Row row{owned.number(1), owned.text(2), int(owned.number(3)), int(owned.number(4)),
                      kindOfHref(owned.text(5))};
        if (rowsLike(row) > 1)
            doubles.emplace_back(owned.number(0), row);
    }
    Query kept(connection_,
               "select 1 from tblBirthday o where o.Person=? and o.BirthMonth=? and o.BirthDay=? "
               "and o.id<>?4 and (o.id<?4 or not exists (select 1 from tblContactLink k where "
               "k.BirthdayId=o.id)) and " +
                   rowKindColumn(connection_) + "=?5");
    bool dropped = false;
    for (const auto& [linkId, row] : doubles) {
        kept.bind(1, row.name)
            .bind(2, qint64(row.month))
            .bind(3, qint64(row.day))
            .bind(4, row.id)
            .bind(5, qint64(row.kind));
        if (!kept.next())
            continue;
        statements.link.bind(1, QString()).bind(2, linkId).run();
        statements.deleteRow.bind(1, row.id).run();
        countKey(row, -1);
        dropped = true;
    }
    return dropped;
}

bool ContactStore::sweep(Statements& statements) {
    const bool dropped = dropDoubles(statements);
    // Links whose row is missing: taken away by the user's own delete, or standing back for a row that
    // went outside a sync.
    Query missing(
        connection_,
        "select l.id, l.Href, l.Uid, l.Person, l.BirthMonth, l.BirthDay, l.BirthdayId, l.BirthYear, "
        "l.DeathDate from tblContactLink l "
        "where l.SourceId=? and (l.BirthdayId is null and l.BirthMonth is not null or l.BirthdayId is not "
        "null and not exists (select 1 from tblBirthday b where b.id=l.BirthdayId))");
    missing.bind(1, sourceId_);
    std::vector<Link> links;
    std::vector<qint64> unlinked;
    while (missing.next()) {
        const DateKind kind = kindOfHref(missing.text(1));
        Link link{missing.number(0),
                  missing.text(1),
                  missing.text(2),
                  {0, missing.text(3), int(missing.number(4)), int(missing.number(5)), kind},
                  {int(missing.number(7)), kind, deathFromText(missing.text(8).toLatin1())}};
        if (!missing.isNull(6))
            unlinked.push_back(link.id);
        if (!missing.isNull(4) && rowsLike(link.birthday) == 0)
            links.push_back(std::move(link));
    }
    for (const qint64 linkId : unlinked)
        statements.link.bind(1, QString()).bind(2, linkId).run();
    bool changed = dropped;
    for (const Link& link : links)
        changed = place(statements, link) || changed;
    return changed;
}

// Every write: one transaction, the counted rows brought up to date, the shared statements prepared.
template <typename Step> auto ContactStore::write(Step step) {
    Transaction transaction(connection_);
    begin();
    Statements statements(connection_);
    const auto result = step(statements);
    transaction.commit();
    return result;
}

// The statements that read and write a source's links, prepared once for a batch of contacts.
struct ContactStore::LinkQueries {
    explicit LinkQueries(Connection& connection)
        : find(connection, "select l.id, b.id, b.Person, b.BirthMonth, b.BirthDay from tblContactLink l "
                           "left join tblBirthday b on b.id=l.BirthdayId where l.SourceId=? and l.Href=?"),
          insert(connection, "insert into tblContactLink (SourceId,Href,Uid,ETag,Person,BirthMonth,BirthDay,"
                             "BirthYear,DeathDate) values (?,?,?,?,?,?,?,?,?)"),
          update(connection, "update tblContactLink set Uid=?,ETag=?,Person=?,BirthMonth=?,BirthDay=?,"
                             "BirthYear=?,DeathDate=? where id=?"),
          updateRow(connection, "update tblBirthday set Person=?,BirthMonth=?,BirthDay=? where id=?") {}
    Query find;
    Query insert;
    Query update;
    Query updateRow;
};

bool ContactStore::applyDay(Statements& statements, LinkQueries& queries, const Contact& contact,
                            const QString& href, const ReadEntry& day) {
    const bool dated = day.has_value();
    const DateKind kind = kindOfHref(href);
    Link link{0, href, contact.uid, {}, {0, kind, {}}};
    if (dated)
        link = {
            0, href, contact.uid, {0, day->name, day->month, day->day, kind}, {day->year, kind, day->death}};
    const auto bindFields = [&](Query& query, int first) {
        query.bind(first, contact.uid).bind(first + 1, contact.etag).bind(first + 2, link.birthday.name);
        if (dated)
            query.bind(first + 3, qint64(link.birthday.month)).bind(first + 4, qint64(link.birthday.day));
        else
            query.bind(first + 3, QString()).bind(first + 4, QString());
        if (link.extras.year != 0)
            query.bind(first + 5, qint64(link.extras.year));
        else
            query.bind(first + 5, QString());
        query.bind(first + 6,
                   link.extras.death.isValid() ? link.extras.death.toString(Qt::ISODate) : QString());
    };
    queries.find.bind(1, sourceId_).bind(2, href);
    const bool known = queries.find.next();
    // A contact without an anniversary has no link for one.
    if (!known && !dated && kind == DateKind::Anniversary)
        return false;
    const Row row = known && !queries.find.isNull(1)
                        ? Row{queries.find.number(1), queries.find.text(2), int(queries.find.number(3)),
                              int(queries.find.number(4)), kind}
                        : Row{};
    if (known) {
        link.id = queries.find.number(0);
        queries.update.bind(8, link.id);
        bindFields(queries.update, 1);
        queries.update.run();
    } else {
        queries.insert.bind(1, sourceId_).bind(2, href);
        bindFields(queries.insert, 3);
        queries.insert.run();
        link.id = lastInsertId(connection_);
    }
    if (row.id == 0)
        return dated && place(statements, link);
    const Row& now = link.birthday;
    if (dated && now.name == row.name && now.month == row.month && now.day == row.day) {
        // The year or the date of death alone may have changed.
        if (readDateExtras(connection_, row.id) == link.extras)
            return false;
        writeDateExtras(connection_, row.id, link.extras);
        return true;
    }
    // Changed in place unless an equal row is there already or a contact stood back for this one.
    statements.waiting.bind(1, row.id).bind(2, qint64(kind));
    if (dated && rowsLike(now) == 0 && !statements.waiting.next()) {
        queries.updateRow.bind(1, now.name)
            .bind(2, qint64(now.month))
            .bind(3, qint64(now.day))
            .bind(4, row.id)
            .run();
        writeDateExtras(connection_, row.id, link.extras);
        countKey(row, -1);
        countKey(now, 1);
        return true;
    }
    statements.link.bind(1, QString()).bind(2, link.id).run();
    release(statements, row);
    if (dated)
        place(statements, link);
    return true;
}

bool ContactStore::apply(const std::vector<Contact>& contacts) {
    return write([&](Statements& statements) {
        // Once a sync, the links without a row are looked at again; after that only the contacts read.
        bool changed = !std::exchange(swept_, true) && sweep(statements);
        LinkQueries queries(connection_);
        for (const Contact& contact : contacts) {
            if (contact.damaged)
                continue;
            changed = applyDay(statements, queries, contact, contact.href, contact.birthday) || changed;
            changed =
                applyDay(statements, queries, contact, anniversaryHref(contact.href), contact.anniversary) ||
                changed;
        }
        return changed;
    });
}

bool ContactStore::remove(const QStringList& hrefs) {
    return write([&](Statements& statements) {
        bool changed = !std::exchange(swept_, true) && sweep(statements);
        Query find(connection_,
                   "select l.id, b.id, b.Person, b.BirthMonth, b.BirthDay from tblContactLink l "
                   "left join tblBirthday b on b.id=l.BirthdayId where l.SourceId=? and l.Href=?");
        Query deleteLink(connection_, "delete from tblContactLink where id=?");
        QStringList links;
        for (const QString& href : hrefs)
            links << href << anniversaryHref(href);
        for (const QString& href : links) {
            find.bind(1, sourceId_).bind(2, href);
            if (!find.next())
                continue;
            const qint64 linkId = find.number(0);
            const Row row{find.number(1), find.text(2), int(find.number(3)), int(find.number(4)),
                          kindOfHref(href)};
            const bool hadRow = !find.isNull(1);
            deleteLink.bind(1, linkId).run();
            changed = (hadRow && release(statements, row)) || changed;
        }
        return changed;
    });
}

bool ContactStore::settle() {
    return write([&](Statements& statements) {
        swept_ = true;
        const bool changed = sweep(statements);
        return changed;
    });
}

int ContactStore::removeSource() {
    return write([&](Statements& statements) {
        Query owned(connection_,
                    "select b.id, b.Person, b.BirthMonth, b.BirthDay, l.Href from tblContactLink l "
                    "join tblBirthday b on b.id=l.BirthdayId where l.SourceId=?");
        owned.bind(1, sourceId_);
        std::vector<Row> rows;
        while (owned.next())
            rows.push_back({owned.number(0), owned.text(1), int(owned.number(2)), int(owned.number(3)),
                            kindOfHref(owned.text(4))});
        for (const char* text :
             {"delete from tblContactLink where SourceId=?", "delete from tblHidden where SourceId=?",
              "delete from tblSource where id=?"})
            Query(connection_, text).bind(1, sourceId_).run();
        int removed = 0;
        for (const Row& row : rows)
            removed += release(statements, row) ? 1 : 0;
        return removed;
    });
}

bool ContactStore::takeBookName(const QString& name) {
    Query(connection_,
          "update tblSource set DisplayName=? where id=? and NameByUser=0 and DisplayName is not ?1")
        .bind(1, name)
        .bind(2, sourceId_)
        .run();
    return changedRows(connection_) > 0;
}

QString ContactStore::syncToken() {
    Query query(connection_, "select SyncToken from tblSource where id=?");
    query.bind(1, sourceId_);
    return query.next() ? query.text(0) : QString();
}

void ContactStore::setSyncToken(const QString& token) {
    Query(connection_, "update tblSource set SyncToken=? where id=?").bind(1, token).bind(2, sourceId_).run();
}

void ContactStore::finish(bool ok, const QString& error) {
    if (ok)
        Query(connection_, "update tblSource set LastSync=?,LastError=null where id=?")
            .bind(1, QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs))
            .bind(2, sourceId_)
            .run();
    else
        Query(connection_, "update tblSource set LastError=? where id=?")
            .bind(1, error)
            .bind(2, sourceId_)
            .run();
}

} // namespace cw::addressbook
