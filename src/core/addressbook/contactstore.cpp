#include "core/addressbook/contactstore.h"

#include "core/addressbook/storequery.h"
#include "core/apperror.h"

#include "core/vcardreader.h"

#include <QBuffer>
#include <QDateTime>

namespace cw::addressbook {

namespace {
QString keyOf(const QString& name, const QString& month, const QString& day) {
    return name + QChar(0x1f) + month + QChar(0x1f) + day;
}
} // namespace

Contact readContact(const QString& href, const QString& etag, const QByteArray& card) {
    QByteArray bytes = card;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    VCardReader reader(buffer);
    Contact contact{href, {}, etag, std::nullopt};
    if (reader.next(contact.birthday))
        contact.uid = reader.uid();
    return contact;
}

void recordFailure(const QString& storePath, qint64 sourceId, const QString& error) {
    Connection connection;
    openStore(connection, storePath);
    ContactStore(connection, sourceId).finish(false, error);
}

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

void ContactStore::loadRowKeys() {
    if (keysLoaded_)
        return;
    Query query(connection_, "select Person, BirthMonth, BirthDay from tblBirthday");
    while (query.next())
        ++rowKeys_[keyOf(query.text(0), query.text(1), query.text(2))];
    keysLoaded_ = true;
}

void ContactStore::countKey(const QString& name, int month, int day, int delta) {
    if (keysLoaded_)
        rowKeys_[keyOf(name, QString::number(month), QString::number(day))] += delta;
}

bool ContactStore::apply(const std::vector<Contact>& contacts) {
    Transaction transaction(connection_);
    checkSource();
    bool changed = false;
    Query find(connection_, "select l.id, b.id, b.Person, b.BirthMonth, b.BirthDay from tblContactLink l "
                            "left join tblBirthday b on b.id=l.BirthdayId where l.SourceId=? and l.Href=?");
    Query insert(connection_,
                 "insert into tblContactLink (SourceId,Href,Uid,ETag,Person,BirthMonth,BirthDay) "
                 "values (?,?,?,?,?,?,?)");
    Query update(connection_,
                 "update tblContactLink set Uid=?,ETag=?,Person=?,BirthMonth=?,BirthDay=? where id=?");
    Query unlink(connection_, "update tblContactLink set BirthdayId=null where id=?");
    Query deleteRow(connection_, "delete from tblBirthday where id=?");
    Query updateRow(connection_, "update tblBirthday set Person=?,BirthMonth=?,BirthDay=? where id=?");
    for (const Contact& contact : contacts) {
        const bool dated = contact.birthday.has_value();
        const QString name = dated ? contact.birthday->name : QString();
        const auto bindFields = [&](Query& query, int first) {
            query.bind(first, contact.uid).bind(first + 1, contact.etag).bind(first + 2, name);
            if (dated)
                query.bind(first + 3, qint64(contact.birthday->month))
                    .bind(first + 4, qint64(contact.birthday->day));
            else
                query.bind(first + 3, QString()).bind(first + 4, QString());
        };
        find.bind(1, sourceId_).bind(2, contact.href);
        if (!find.next()) {
            insert.bind(1, sourceId_).bind(2, contact.href);
            bindFields(insert, 3);
            insert.run();
            continue; // its row comes with the settling below
        }
        const qint64 linkId = find.number(0);
        const bool hasRow = !find.isNull(1);
        const qint64 rowId = find.number(1);
        const QString rowName = find.text(2);
        const int rowMonth = int(find.number(3));
        const int rowDay = int(find.number(4));
        update.bind(6, linkId);
        bindFields(update, 1);
        update.run();
        if (!hasRow)
            continue;
        if (!dated) {
            deleteRow.bind(1, rowId).run();
            unlink.bind(1, linkId).run();
            countKey(rowName, rowMonth, rowDay, -1);
            changed = true;
        } else if (name != rowName || contact.birthday->month != rowMonth ||
                   contact.birthday->day != rowDay) {
            updateRow.bind(1, name)
                .bind(2, qint64(contact.birthday->month))
                .bind(3, qint64(contact.birthday->day))
                .bind(4, rowId)
                .run();
            countKey(rowName, rowMonth, rowDay, -1);
            countKey(name, contact.birthday->month, contact.birthday->day, 1);
            changed = true;
        }
    }
    changed = settleInTransaction() || changed;
    transaction.commit();
    return changed;
}

bool ContactStore::remove(const QStringList& hrefs) {
    Transaction transaction(connection_);
    bool changed = false;
    Query find(connection_,
               "select l.BirthdayId, b.Person, b.BirthMonth, b.BirthDay from tblContactLink l join "
               "tblBirthday b on b.id=l.BirthdayId where l.SourceId=? and l.Href=?");
    Query deleteRow(connection_, "delete from tblBirthday where id=?");
    Query deleteLink(connection_, "delete from tblContactLink where SourceId=? and Href=?");
    for (const QString& href : hrefs) {
        find.bind(1, sourceId_).bind(2, href);
        if (find.next()) {
            const qint64 rowId = find.number(0);
            countKey(find.text(1), int(find.number(2)), int(find.number(3)), -1);
            deleteRow.bind(1, rowId).run();
            changed = true;
        }
        deleteLink.bind(1, sourceId_).bind(2, href).run();
    }
    // A contact that stood back for an equal row of this source may now have its own.
    changed = settleInTransaction() || changed;
    transaction.commit();
    return changed;
}

bool ContactStore::settle() {
    Transaction transaction(connection_);
    const bool changed = settleInTransaction();
    transaction.commit();
    return changed;
}

bool ContactStore::settleInTransaction() {
    // Links whose row is missing: never made, or taken away by the user's own delete.
    Query missing(
        connection_,
        "select l.id, l.Person, l.BirthMonth, l.BirthDay, l.BirthdayId from tblContactLink l where "
        "l.SourceId=? and l.Hidden=0 and (l.BirthdayId is null and l.BirthMonth is not null or "
        "l.BirthdayId is not null and not exists (select 1 from tblBirthday b where b.id=l.BirthdayId))");
    missing.bind(1, sourceId_);
    struct Missing {
        qint64 linkId;
        QString name;
        int month;
        int day;
    };
    std::vector<Missing> rows;
    while (missing.next())
        rows.push_back({missing.number(0), missing.text(1), int(missing.number(2)), int(missing.number(3))});
    if (rows.empty())
        return false;
    loadRowKeys();
    Query insertRow(connection_, "insert into tblBirthday (Person,BirthMonth,BirthDay) values (?,?,?)");
    Query link(connection_, "update tblContactLink set BirthdayId=? where id=?");
    bool changed = false;
    for (const Missing& row : rows) {
        if (row.name.isEmpty() ||
            rowKeys_.value(keyOf(row.name, QString::number(row.month), QString::number(row.day))) > 0) {
            link.bind(1, QString()).bind(2, row.linkId).run();
            continue;
        }
        insertRow.bind(1, row.name).bind(2, qint64(row.month)).bind(3, qint64(row.day)).run();
        link.bind(1, lastInsertId(connection_)).bind(2, row.linkId).run();
        countKey(row.name, row.month, row.day, 1);
        changed = true;
    }
    return changed;
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
