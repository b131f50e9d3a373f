#include "faults.h"

#include "gui/services/datafolder.h"
#include "support/recordset.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

namespace faulttest {

QString englishMonth(int month) {
    static const char* const names[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
    return QLatin1String(names[month - 1]);
}

QString lineText(const cwtest::Birthday& birthday) {
    return birthday.person + QLatin1Char(',') + englishMonth(birthday.month) + QLatin1Char(' ') +
           QString::number(birthday.day);
}

QString rowText(const cwtest::Birthday& birthday) {
    return birthday.person + QLatin1Char('|') + QString::number(birthday.month) + QLatin1Char('|') +
           QString::number(birthday.day);
}

QStringList rowsInIdOrder() {
    return cwtest::storedRowTexts(
        QStringLiteral("select Person, BirthMonth, BirthDay from tblBirthday order by id"));
}

void storeInOneGo(cwtest::MainWindowFixture& fixture, const QList<cwtest::Birthday>& birthdays) {
    fixture.sandbox.openStore();
    cw::Connection& connection = cw::sharedConnection();
    connection.execute(QStringLiteral("begin"));
    for (const cwtest::Birthday& b : birthdays)
        connection.execute(cw::statements::editorInsert(b.person, b.month, b.day));
    connection.execute(QStringLiteral("commit"));
    connection.Close();
}

QString integrityCheck(const QString& path) {
    sqlite3* db = nullptr;
    QString result;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "pragma integrity_check", -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW)
                result += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
        } else {
            result = QString::fromUtf8(sqlite3_errmsg(db));
        }
        sqlite3_finalize(statement);
    } else {
        result = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_close(db);
    return result;
}

} // namespace faulttest
