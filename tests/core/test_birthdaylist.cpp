// The list's reader against the engine's own answer to the list query.
#include "core/apperror.h"
#include "store/birthdaylist.h"
#include "store/connection.h"

#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

using namespace cw;

namespace {
// Rows as the engine stores them: some columns are texts or fractions the import let through.
struct StoredRow {
    const char* values; // (Person,BirthMonth,BirthDay) as SQL
    const char* person;
    const char* month; // the cell's text
    const char* day;
    int daysLeft; // on January 1, 2026; -1 where the rule refuses the row
};

const StoredRow oddRows[] = {
    {"('Real',5,1)", "Real", "5", "1", 120},
    {"('No month',NULL,3)", "No month", "", "3", -1},
    {"('Fraction',2.5,1)", "Fraction", "2.5", "1", 31}, // half to even: February
    {"('Text','7th',1)", "Text", "7th", "1", -1},
    {"('Bytes',x'37',1)", "Bytes", "7", "1", 181},
    {"('Huge',9000000000,1)", "Huge", "9000000000", "1", -1},
    {"('Below',-3,2)", "Below", "-3", "2", 244},       // September 2 of the year before: next on Sep 2
    {"('Thirteen',13,0)", "Thirteen", "13", "0", 364}, // the day before next January 1
    {"(42,5,1)", "42", "5", "1", 120},
    {"(NULL,5,1)", "", "5", "1", 120},
    {"('Real again',5,1)", "Real again", "5", "1", 120},
    {"('No day',5,NULL)", "No day", "5", "", -1},
};
} // namespace

class TestBirthdayList : public QObject {
    Q_OBJECT
  private slots:
    void readsInTheListQuerysOrder_data();
    void readsInTheListQuerysOrder();

  private:
    QTemporaryDir dir_;
};

void TestBirthdayList::readsInTheListQuerysOrder_data() {
    QTest::addColumn<QList<int>>("rows"); // positions in oddRows
    QTest::newRow("real dates, counted") << QList<int>{0, 10, 8, 9, 0};
    QTest::newRow("odd values, compared") << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 3, 1};
    QTest::newRow("empty") << QList<int>{};
}

// The order, the ids and every stored value come back as the engine has them; a refill after a
// change reads the change.
void TestBirthdayList::readsInTheListQuerysOrder() {
    QFETCH(QList<int>, rows);
    const QString path = dir_.filePath(QString::fromUtf8(QTest::currentDataTag()) + ".db");
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    QByteArray script = "create table tblBirthday (id INTEGER PRIMARY KEY AUTOINCREMENT, Person TEXT, "
                        "BirthMonth SMALLINT, BirthDay SMALLINT);";
    for (const int row : rows)
        script += QByteArray("insert into tblBirthday (Person,BirthMonth,BirthDay) values ") +
                  oddRows[row].values + ";";
    QCOMPARE(sqlite3_exec(db, script.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    const auto engineOrder = [&] {
        QList<qint64> ids;
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(db, "select id from tblBirthday order by birthmonth,birthday", -1, &statement,
                           nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW)
            ids << sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        return ids;
    };
    Connection connection;
    connection.open("Data Source= " + path);
    const auto check = [&] {
        const BirthdayList list = BirthdayList::read(connection);
        const QList<qint64> expected = engineOrder();
        QCOMPARE(qsizetype(list.size()), expected.size());
        for (size_t r = 0; r < list.size(); ++r) {
            QCOMPARE(list.id(r), expected[qsizetype(r)]);
            const StoredRow& stored = oddRows[rows[list.id(r) - 1]];
            QCOMPARE(list.person(r), QString::fromUtf8(stored.person));
            QCOMPARE(list.text(list.month(r)), QString::fromUtf8(stored.month));
            QCOMPARE(list.text(list.day(r)), QString::fromUtf8(stored.day));
            int days = -1;
            try {
                days = list.daysLeft(r, QDate(2026, 1, 1)).days;
            } catch (const AppError&) {
            }
            QCOMPARE(days, stored.daysLeft);
        }
    };
    check();
    if (!rows.isEmpty()) {
        // An edit moves a row to its new date, and the next read sees it.
        sqlite3_exec(db, "update tblBirthday set Person='Thirteen', BirthMonth=13, BirthDay=0 where id=1",
                     nullptr, nullptr, nullptr);
        rows[0] = 7;
        check();
        // A year or a kind stays with its row through the list's order, and goes when the row goes
        // (a store that never had one had no table for them: the checks above read it so).
        const qint64 last = qint64(rows.size());
        writeDateExtras(connection, last, {1984, DateKind::Anniversary, QDate(2020, 5, 1)});
        writeDateExtras(connection, 1, {1990, DateKind::Birthday, {}});
        writeDateExtras(connection, 1, {});
        const auto extrasById = [&] {
            QMap<qint64, DateExtras> found;
            const BirthdayList list = BirthdayList::read(connection);
            for (size_t r = 0; r < list.size(); ++r)
                if (!list.extras(r).plain())
                    found.insert(list.id(r), list.extras(r));
            return found;
        };
        QCOMPARE(extrasById(),
                 (QMap<qint64, DateExtras>{{last, {1984, DateKind::Anniversary, {2020, 5, 1}}}}));
        connection.execute("delete from tblBirthday where id=" + QString::number(last));
        QVERIFY(extrasById().isEmpty());
        QCOMPARE(readDateExtras(connection, last), DateExtras{});
    }
    sqlite3_close(db);
}

QTEST_GUILESS_MAIN(TestBirthdayList)
#include "test_birthdaylist.moc"
