#include "store/dateextras.h"

#include "store/query.h"

#include <sqlite3.h>

namespace cw {

namespace {
constexpr const char* createTable =
    "create table if not exists tblBirthdayExtra (BirthdayId INTEGER PRIMARY KEY, BirthYear INTEGER, "
    "Kind INTEGER NOT NULL DEFAULT 0, DeathDate TEXT)";
// The row goes with its birthday, whoever deletes it: the window, a sync, another version's delete.
constexpr const char* createTrigger =
    "create trigger if not exists trBirthdayExtraGoes after delete on tblBirthday begin "
    "delete from tblBirthdayExtra where BirthdayId=old.id; end";
} // namespace

bool hasDateExtras(Connection& connection) {
    Query query(connection, "select count(*) from sqlite_master where name in "
                            "('tblBirthdayExtra','trBirthdayExtraGoes')");
    return query.next() && query.number(0) == 2;
}

void ensureDateExtras(Connection& connection) {
    if (hasDateExtras(connection))
        return;
    const bool inTransaction = sqlite3_get_autocommit(connection.handle()) == 0;
    if (inTransaction) {
        connection.execute(QString::fromLatin1(createTable));
        connection.execute(QString::fromLatin1(createTrigger));
        return;
    }
    Transaction transaction(connection);
    connection.execute(QString::fromLatin1(createTable));
    connection.execute(QString::fromLatin1(createTrigger));
    transaction.commit();
}

void writeDateExtras(Connection& connection, qint64 birthdayId, const DateExtras& extras) {
    if (extras.plain()) {
        if (hasDateExtras(connection))
            Query(connection, "delete from tblBirthdayExtra where BirthdayId=?").bind(1, birthdayId).run();
        return;
    }
    ensureDateExtras(connection);
    Query write(connection, "insert or replace into tblBirthdayExtra (BirthdayId,BirthYear,Kind,DeathDate) "
                            "values (?,?,?,?)");
    write.bind(1, birthdayId).bind(3, qint64(extras.kind));
    if (extras.year != 0)
        write.bind(2, qint64(extras.year));
    else
        write.bind(2, QString());
    write.bind(4, extras.death.isValid() ? extras.death.toString(Qt::ISODate) : QString());
    write.run();
}

DateExtras readDateExtras(Connection& connection, qint64 birthdayId) {
    if (!hasDateExtras(connection))
        return {};
    Query query(connection, "select BirthYear, Kind, DeathDate from tblBirthdayExtra where BirthdayId=?");
    query.bind(1, birthdayId);
    if (!query.next())
        return {};
    return {int(query.number(0)), query.number(1) == 1 ? DateKind::Anniversary : DateKind::Birthday,
            deathFromText(query.text(2).toLatin1())};
}

const char* dateExtrasQuery() {
    return "select BirthdayId, BirthYear, Kind, DeathDate from tblBirthdayExtra order by BirthdayId";
}

QDate deathFromText(QByteArrayView text) {
    return text.size() == 10 ? QDate::fromString(QString::fromLatin1(text), Qt::ISODate) : QDate();
}

} // namespace cw
