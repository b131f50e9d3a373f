// The engine layer and the statements run against a real store, the built blank one. (The window's
// first run, which makes the store, is tested with its services.)
#include "core/apperror.h"
#include "core/statements.h"
#include "store/connection.h"
#include "store/sharedconnection.h"
#include "support/fakeclock.h"
#include "support/folders.h"
#include "support/recordset.h"

#include <QTest>

using namespace cw;

namespace {

struct Row {
    qint64 id;
    QString person;
    int month;
    int day;
};

QList<Row> allRows() {
    Recordset records;
    records.open(statements::listQuery(), sharedConnection(), adOpenStatic, adLockReadOnly);
    QList<Row> rows;
    while (!records.EndOfFile()) {
        rows << Row{records.fields("ID").toLongLong(), records.fields("person").toString(),
                    records.fields("BirthMonth").toInt(), records.fields("birthday").toInt()};
        records.movenext();
    }
    records.Close();
    return rows;
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT
  private slots:
    void dataSourceOfConnectionStrings_data();
    void dataSourceOfConnectionStrings();
    void statementTexts_data();
    void statementTexts();
    void quotedNamesRoundTrip_data();
    void quotedNamesRoundTrip();
    void testAndSampleCommands();
    void deleteAndUpdateOfMissingIdChangeNothing();
    void onlyOneStatementPerExecute();
    void idsAreNeverReused();
};

void TestStore::dataSourceOfConnectionStrings_data() {
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("source");
    QTest::newRow("stored form") << "Provider=Microsoft.Jet.OLEDB.4.0;Data Source= /a/b.mdb"
                                 << "/a/b.mdb";
    QTest::newRow("any case, later keys") << "data source=/a/b.mdb; Mode=Share"
                                          << "/a/b.mdb";
    QTest::newRow("double quotes keep ;") << "Provider=x;Data Source= \"/a;b/\"\"c\"\".mdb\""
                                          << "/a;b/\"c\".mdb";
    QTest::newRow("single quotes") << "Data Source='/a;b.mdb';Provider=x"
                                   << "/a;b.mdb";
}

void TestStore::dataSourceOfConnectionStrings() {
    QFETCH(QString, connection);
    QFETCH(QString, source);
    QCOMPARE(Connection::dataSourceOf(connection), source);
}

void TestStore::statementTexts_data() {
    QTest::addColumn<QString>("actual");
    QTest::addColumn<QString>("expected");
    QTest::newRow("list") << statements::listQuery()
                          << "select * from tblBirthday order by birthmonth,birthday";
    QTest::newRow("editor insert")
        << statements::editorInsert(" O'Neil ", 3, 9)
        << "insert into tblBirthday (Person,BirthMonth,BirthDay) values (' O''Neil ',3,9)";
    QTest::newRow("editor update")
        << statements::editorUpdate("Ann", 12, 31, 42)
        << "update tblBirthday set Person='Ann',BirthMonth=12,BirthDay=31 where id=42";
    QTest::newRow("delete") << statements::deleteById(7) << "delete from tblBirthday where id=7";
    QTest::newRow("test delete") << statements::testDelete()
                                 << "delete from tblBirthday where Person='Today Birthday Test'";
    QTest::newRow("test insert") << statements::testInsert()
                                 << "insert into tblBirthday (Person,BirthMonth,BirthDay) values ('Today "
                                    "Birthday Test', month(date()), "
                                    "day(date()))";
    QTest::newRow("sample") << statements::sampleInsert()
                            << "insert into tblBirthday (Person,BirthMonth,BirthDay) values ('Arv', 4, 13)";
    QTest::newRow("import trims after quoting")
        << statements::importInsert("  O'Neil  ", 5, 2)
        << "insert into tblBirthday (Person,BirthMonth,BirthDay) values ('O''Neil',5,2)";
    QTest::newRow("two quotes") << statements::quoteName("''") << "''''";
}

void TestStore::statementTexts() {
    QFETCH(QString, actual);
    QFETCH(QString, expected);
    QCOMPARE(actual, expected);
}

void TestStore::quotedNamesRoundTrip_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("apostrophe") << "O'Neil";
    QTest::newRow("two quotes") << "''";
    QTest::newRow("trailing blank") << "Ann ";
    QTest::newRow("sql text") << "x'); drop table tblBirthday; --";
    QTest::newRow("non-latin and emoji") << QString::fromUtf8("Zoë Ñandú 张伟 Ирина 🎂");
    QTest::newRow("very long") << QString(10000, QChar(u'é'));
}

void TestStore::quotedNamesRoundTrip() {
    QFETCH(QString, name);
    cwtest::Folders folders;
    folders.openBlankStore();
    sharedConnection().execute(statements::editorInsert(name, 6, 1));
    const auto rows = allRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].person, name);
    QCOMPARE(rows[0].month, 6);
}

void TestStore::testAndSampleCommands() {
    cwtest::Folders folders;
    auto clock = std::make_unique<cwtest::FakeClock>();
    clock->current = QDateTime(QDate(2026, 2, 14), QTime(23, 0));
    setCurrentClock(std::move(clock));
    folders.openBlankStore();
    sharedConnection().execute(statements::editorInsert("Today Birthday Test", 1, 1)); // typed by hand
    for (int run = 0; run < 2; ++run) {
        sharedConnection().execute(statements::testDelete());
        sharedConnection().execute(statements::testInsert());
    }
    sharedConnection().execute(statements::sampleInsert());
    sharedConnection().execute(statements::sampleInsert());
    const auto rows = allRows();
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[0].person, QStringLiteral("Today Birthday Test"));
    QCOMPARE(rows[0].month, 2);
    QCOMPARE(rows[0].day, 14);
    QCOMPARE(rows[1].person, QStringLiteral("Arv"));
    QCOMPARE(rows[2].person, QStringLiteral("Arv"));
    QCOMPARE(rows[1].month, 4);
    QCOMPARE(rows[1].day, 13);
    QVERIFY(rows[1].id != rows[2].id);
}

void TestStore::deleteAndUpdateOfMissingIdChangeNothing() {
    cwtest::Folders folders;
    folders.openBlankStore();
    sharedConnection().execute(statements::editorInsert("Keep", 7, 7));
    const qint64 id = allRows().at(0).id;
    sharedConnection().execute(statements::deleteById(id + 100));
    sharedConnection().execute(statements::editorUpdate("Other", 1, 1, id + 100));
    auto rows = allRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].person, QStringLiteral("Keep"));
    sharedConnection().execute(statements::editorUpdate("Changed", 8, 9, id));
    rows = allRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].id, id);
    QCOMPARE(rows[0].person, QStringLiteral("Changed"));
    QVERIFY_THROWS_EXCEPTION(AppError, statements::idFromText("7 or 1=1"));
    QCOMPARE(statements::idFromText("12"), 12);
}

void TestStore::onlyOneStatementPerExecute() {
    cwtest::Folders folders;
    folders.openBlankStore();
    QVERIFY_THROWS_EXCEPTION(AppError,
                             sharedConnection().execute("delete from tblBirthday; drop table tblBirthday"));
    sharedConnection().execute(statements::sampleInsert());
    QCOMPARE(allRows().size(), 1);
    try {
        sharedConnection().execute("insert into tblNothing values (1)");
        QFAIL("no error");
    } catch (const AppError& error) {
        QVERIFY(error.description().contains("no such table"));
    }
}

void TestStore::idsAreNeverReused() {
    cwtest::Folders folders;
    folders.openBlankStore();
    sharedConnection().execute(statements::sampleInsert());
    const qint64 first = allRows().at(0).id;
    sharedConnection().execute(statements::deleteById(first));
    sharedConnection().execute(statements::sampleInsert());
    QVERIFY(allRows().at(0).id > first);
}

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
