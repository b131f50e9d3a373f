#include "store/contactstore.h"

#include "core/apperror.h"
#include "store/query.h"

#include <QDateTime>

#include <utility>

namespace cw::addressbook {

QString hideKey(const QString& uid, const QString& name, int month, int day) {
    if (!uid.isEmpty())
        return QStringLiteral("u") + QChar(0x1f) + uid;
    return QStringLiteral("n") + QChar(0x1f) + birthdayKey(name, month, day);
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
          waiting(connection, "select l.id, l.SourceId, l.Uid, l.Person, l.BirthMonth, l.BirthDay from "
                              "tblBirthday b join tblContactLink l on l.Person=b.Person and "
                              "l.BirthMonth=b.BirthMonth and l.BirthDay=b.BirthDay where b.id=? and "
                              "l.BirthdayId is null order by l.id") {}
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
    Query query(connection_, "select Href, ETag from tblContactLink where SourceId=?");
    query.bind(1, sourceId_);
    while (query.next())
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
    Query query(connection_, "select Person, BirthMonth, BirthDay from tblBirthday");
    while (query.next())
        ++rowKeys_[birthdayKey(query.text(0), int(query.number(1)), int(query.number(2)))];
}

int ContactStore::rowsLike(const Row& birthday) const {
    return rowKeys_.value(birthdayKey(birthday.name, birthday.month, birthday.day));
}

void ContactStore::countKey(const Row& birthday, int delta) {
    rowKeys_[birthdayKey(birthday.name, birthday.month, birthday.day)] += delta;
}

bool ContactStore::place(Statements& statements, const Link& link) {
    const Row& birthday = link.birthday;
    // Hidden: the name and path it is shown by follow the contact.
    statements.hide.bind(1, link.href)
        .bind(2, birthday.name)
        .bind(3, sourceId_)
        .bind(4, hideKey(link.uid, birthday.name, birthday.month, birthday.day))
        .run();
    if (birthday.name.isEmpty() || changedRows(connection_) > 0 || rowsLike(birthday) > 0)
        return false;
    statements.insertRow.bind(1, birthday.name)
        .bind(2, qint64(birthday.month))
        .bind(3, qint64(birthday.day))
        .run();
    statements.link.bind(1, lastInsertId(connection_)).bind(2, link.id).run();
    countKey(birthday, 1);
    return true;
}

bool ContactStore::release(Statements& statements, const Row& row) {
    Query& waiting = statements.waiting;
    waiting.bind(1, row.id);
    while (waiting.next()) {
        const qint64 linkId = waiting.number(0);
        statements.isHidden.bind(1, waiting.number(1))
            .bind(2,
                  hideKey(waiting.text(2), waiting.text(3), int(waiting.number(4)), int(waiting.number(5))));
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
    Query owned(connection_, "select l.id, b.id, b.Person, b.BirthMonth, b.BirthDay from tblContactLink l "
                             "join tblBirthday b on b.id=l.BirthdayId where l.SourceId=?");
    owned.bind(1, sourceId_);
    std::vector<std::pair<qint64, Row>> doubles;
    while (owned.next()) {
        const Row row{owned.number(1), owned.text(2), int(owned.number(3)), int(owned.number(4))};
        if (rowsLike(row) > 1)
            doubles.emplace_back(owned.number(0), row);
    }
    Query kept(connection_,
               "select 1 from tblBirthday o where o.Person=? and o.BirthMonth=? and o.BirthDay=? "
               "and o.id<>?4 and (o.id<?4 or not exists (select 1 from tblContactLink k where "
               "k.BirthdayId=o.id))");
    bool dropped = false;
    for (const auto& [linkId, row] : doubles) {
        kept.bind(1, row.name).bind(2, qint64(row.month)).bind(3, qint64(row.day)).bind(4, row.id);
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
        "select l.id, l.Href, l.Uid, l.Person, l.BirthMonth, l.BirthDay, l.BirthdayId from tblContactLink l "
        "where l.SourceId=? and (l.BirthdayId is null and l.BirthMonth is not null or l.BirthdayId is not "
        "null and not exists (select 1 from tblBirthday b where b.id=l.BirthdayId))");
    missing.bind(1, sourceId_);
    std::vector<Link> links;
    std::vector<qint64> unlinked;
    while (missing.next()) {
        Link link{missing.number(0),
                  missing.text(1),
                  missing.text(2),
                  {0, missing.text(3), int(missing.number(4)), int(missing.number(5))}};
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

bool ContactStore::apply(const std::vector<Contact>& contacts) {
    return write([&](Statements& statements) {
        // Once a sync, the links without a row are looked at again; after that only the contacts read.
        bool changed = !std::exchange(swept_, true) && sweep(statements);
        Query find(connection_,
                   "select l.id, b.id, b.Person, b.BirthMonth, b.BirthDay from tblContactLink l "
                   "left join tblBirthday b on b.id=l.BirthdayId where l.SourceId=? and l.Href=?");
        Query insert(connection_,
                     "insert into tblContactLink (SourceId,Href,Uid,ETag,Person,BirthMonth,BirthDay) "
                     "values (?,?,?,?,?,?,?)");
        Query update(connection_,
                     "update tblContactLink set Uid=?,ETag=?,Person=?,BirthMonth=?,BirthDay=? where id=?");
        Query updateRow(connection_, "update tblBirthday set Person=?,BirthMonth=?,BirthDay=? where id=?");
        for (const Contact& contact : contacts) {
            if (contact.damaged)
                continue;
            const bool dated = contact.birthday.has_value();
            Link link{0, contact.href, contact.uid, {}};
            if (dated)
                link.birthday = {0, contact.birthday->name, contact.birthday->month, contact.birthday->day};
            const auto bindFields = [&](Query& query, int first) {
                query.bind(first, contact.uid)
                    .bind(first + 1, contact.etag)
                    .bind(first + 2, link.birthday.name);
                if (dated)
                    query.bind(first + 3, qint64(link.birthday.month))
                        .bind(first + 4, qint64(link.birthday.day));
                else
                    query.bind(first + 3, QString()).bind(first + 4, QString());
            };
            find.bind(1, sourceId_).bind(2, contact.href);
            const bool known = find.next();
            const Row row = known && !find.isNull(1)
                                ? Row{find.number(1), find.text(2), int(find.number(3)), int(find.number(4))}
                                : Row{};
            if (known) {
                link.id = find.number(0);
                update.bind(6, link.id);
                bindFields(update, 1);
                update.run();
            } else {
                insert.bind(1, sourceId_).bind(2, contact.href);
                bindFields(insert, 3);
                insert.run();
                link.id = lastInsertId(connection_);
            }
            if (row.id == 0) {
                changed = (dated && place(statements, link)) || changed;
                continue;
            }
            const Row& now = link.birthday;
            if (dated && now.name == row.name && now.month == row.month && now.day == row.day)
                continue;
            changed = true;
            // Changed in place unless an equal row is there already or a contact stood back for this one.
            statements.waiting.bind(1, row.id);
            if (dated && rowsLike(now) == 0 && !statements.waiting.next()) {
                updateRow.bind(1, now.name)
                    .bind(2, qint64(now.month))
                    .bind(3, qint64(now.day))
                    .bind(4, row.id)
                    .run();
                countKey(row, -1);
                countKey(now, 1);
                continue;
            }
            statements.link.bind(1, QString()).bind(2, link.id).run();
            release(statements, row);
            if (dated)
                place(statements, link);
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
        for (const QString& href : hrefs) {
            find.bind(1, sourceId_).bind(2, href);
            if (!find.next())
                continue;
            const qint64 linkId = find.number(0);
            const Row row{find.number(1), find.text(2), int(find.number(3)), int(find.number(4))};
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
        Query owned(connection_, "select b.id, b.Person, b.BirthMonth, b.BirthDay from tblContactLink l join "
                                 "tblBirthday b on b.id=l.BirthdayId where l.SourceId=?");
        owned.bind(1, sourceId_);
        std::vector<Row> rows;
        while (owned.next())
            rows.push_back({owned.number(0), owned.text(1), int(owned.number(2)), int(owned.number(3))});
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
