// The data folder and first-run copy, the engine layer and the statements run against a real store.
#include "core/apperror.h"
#include "core/statements.h"
#include "gui/services/datafolder.h"
#include "store/connection.h"
#include "store/storelocation.h"
#include "support/files.h"
#include "support/groups.h"
#include "support/recordset.h"
#include "support/sandbox.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace cw;
using cwtest::fileHash;

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

// A seed database of our own with one birthday, standing in for an administrator's list.
void makeSeedWithOneRow(const QString& path) {
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_exec(db,
                 "create table tblBirthday (id INTEGER PRIMARY KEY AUTOINCREMENT, Person TEXT, BirthMonth "
                 "SMALLINT, BirthDay SMALLINT); insert into tblBirthday (Person,BirthMonth,BirthDay) values "
                 "('Seeded',1,2);",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT
  private slots:
    void firstRunCopiesBlankSeed();
    void preferredSeedWins();
    void secondRunKeepsTheStore();
    void removedStoreIsCopiedAgain();
    void plainFileNamedLikeTheMakerFolder();
    void missingDataHomeAndOddFolderNames();
    void sharedBaseMakesEverythingGroupWritable();
    void dataSourceOfConnectionStrings_data();
    void dataSourceOfConnectionStrings();
    void damagedStoreIsReportedAndLeftAlone();
    void missingStoreFailsToOpen();
    void statementTexts_data();
    void statementTexts();
    void quotedNamesRoundTrip_data();
    void quotedNamesRoundTrip();
    void testAndSampleCommands();
    void deleteAndUpdateOfMissingIdChangeNothing();
    void onlyOneStatementPerExecute();
    void idsAreNeverReused();
};

void TestStore::firstRunCopiesBlankSeed() {
    cwtest::Sandbox sandbox;
    QVERIFY(!QFileInfo::exists(makerFolder()));
    sandbox.openStore();
    QVERIFY(QFileInfo(makerFolder()).isDir());
    QVERIFY(QFileInfo(dataFolder()).isDir());
    QCOMPARE(dataFolder(), sandbox.path("common/Marrowfen/Candlewise Software"));
    QVERIFY(QFileInfo(liveStoreFile()).isWritable());
    QCOMPARE(sharedConnection().State(), 1);
    QVERIFY(allRows().isEmpty());
    QVERIFY(!QFileInfo::exists(liveStoreFile() + ".part"));
}

void TestStore::preferredSeedWins() {
    cwtest::Sandbox sandbox;
    makeSeedWithOneRow(sandbox.appFolder() + "/dbBirthdays.mdb");
    const QByteArray seedBefore = fileHash(sandbox.appFolder() + "/dbBirthdays.mdb");
    sandbox.openStore();
    const auto rows = allRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].person, QStringLiteral("Seeded"));
    sharedConnection().execute(statements::sampleInsert());
    QCOMPARE(fileHash(sandbox.appFolder() + "/dbBirthdays.mdb"), seedBefore); // seeds are only read
}

void TestStore::secondRunKeepsTheStore() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    sharedConnection().execute(statements::editorInsert("Kept", 5, 6));
    sharedConnection().Close();
    makeSeedWithOneRow(sandbox.appFolder() + "/dbBirthdays.mdb"); // must not matter now
    sandbox.openStore();
    const auto rows = allRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].person, QStringLiteral("Kept"));
}

void TestStore::removedStoreIsCopiedAgain() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    sharedConnection().execute(statements::editorInsert("Gone", 5, 6));
    sharedConnection().Close();
    QVERIFY(QFile::remove(liveStoreFile()));
    sandbox.openStore();
    QVERIFY(allRows().isEmpty());
}

void TestStore::plainFileNamedLikeTheMakerFolder() {
    cwtest::Sandbox sandbox;
    cwtest::writeBytes(sandbox.path("common/Marrowfen"), {});
    prepareMakerFolder(); // present: nothing to create
    QVERIFY(QFileInfo(makerFolder()).isFile());
    QVERIFY_THROWS_EXCEPTION(AppError, prepareDataFolder());
    QVERIFY_THROWS_EXCEPTION(AppError, prepareStoreFile());
    QVERIFY_THROWS_EXCEPTION(AppError, openSharedConnection());
    QCOMPARE(sharedConnection().State(), 0);
}

// A new account has no ~/.local/share yet, and a folder name may hold ';' or quotes.
void TestStore::missingDataHomeAndOddFolderNames() {
    cwtest::Sandbox sandbox;
    const QString home = sandbox.path(QStringLiteral("new home/we;ird \"x\"/share"));
    qputenv("CANDLEWISE_COMMON_APPDATA", home.toUtf8());
    QVERIFY(!QFileInfo::exists(sandbox.path("new home")));
    sandbox.openStore();
    QCOMPARE(liveStoreFile(), home + "/Marrowfen/Candlewise Software/dbData.mdb");
    QCOMPARE(Connection::dataSourceOf(connectionString()), liveStoreFile());
    QCOMPARE(sharedConnection().State(), 1);
    sharedConnection().execute(statements::editorInsert("Odd", 5, 6));
    QCOMPARE(allRows().size(), 1);
    QVERIFY(QFileInfo(liveStoreFile()).isFile());
}

// A list shared by the users of a group: whatever the first user's umask, the next user of the
// group can write the folders and the store.
void TestStore::sharedBaseMakesEverythingGroupWritable() {
    cwtest::Sandbox sandbox;
    const QByteArray base = QFile::encodeName(sandbox.path("common"));
    // As root, a group that is nobody's: it can only have come from the base folder.
    const gid_t group = geteuid() == 0 ? 4242 : getegid();
    QCOMPARE(::chown(base.constData(), uid_t(-1), group), 0);
    QCOMPARE(::chmod(base.constData(), 0775), 0);
    const mode_t savedMask = ::umask(022);
    sandbox.openStore();
    ::umask(savedMask);
    for (const auto& [path, mode] :
         {std::pair{makerFolder(), 02775}, {dataFolder(), 02775}, {liveStoreFile(), 0664}}) {
        struct stat status {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &status), 0);
        QCOMPARE(status.st_mode & 07777, mode_t(mode));
        QCOMPARE(status.st_gid, group);
    }
    QCOMPARE(sharedConnection().State(), 1);
}

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

void TestStore::damagedStoreIsReportedAndLeftAlone() {
    cwtest::Sandbox sandbox;
    prepareMakerFolder();
    prepareDataFolder();
    cwtest::writeBytes(liveStoreFile(), QByteArray(4096, '\x5a'));
    const QByteArray before = fileHash(liveStoreFile());
    prepareStoreFile(); // present: never replaced
    try {
        openSharedConnection();
        QFAIL("a damaged store opened");
    } catch (const AppError& error) {
        QVERIFY2(error.description().contains("not a database"), qPrintable(error.description()));
    }
    QCOMPARE(fileHash(liveStoreFile()), before);
    QCOMPARE(QDir(dataFolder()).entryList(QDir::Files), QStringList{"dbData.mdb"});
}

void TestStore::missingStoreFailsToOpen() {
    cwtest::Sandbox sandbox;
    QFile::remove(sandbox.appFolder() + "/dbBlank.mdb");
    prepareMakerFolder();
    prepareDataFolder();
    QVERIFY_THROWS_EXCEPTION(AppError, prepareStoreFile());
    QVERIFY_THROWS_EXCEPTION(AppError, openSharedConnection());
    QVERIFY(!QFileInfo::exists(liveStoreFile())); // the open never creates a file
    Recordset records;
    QVERIFY_THROWS_EXCEPTION(AppError, records.open(statements::listQuery(), sharedConnection()));
    QVERIFY_THROWS_EXCEPTION(AppError, sharedConnection().execute(statements::sampleInsert()));
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
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    sharedConnection().execute(statements::editorInsert(name, 6, 1));
    const auto rows = allRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].person, name);
    QCOMPARE(rows[0].month, 6);
}

void TestStore::testAndSampleCommands() {
    cwtest::Sandbox sandbox;
    sandbox.clock->current = QDateTime(QDate(2026, 2, 14), QTime(23, 0));
    sandbox.openStore();
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
    cwtest::Sandbox sandbox;
    sandbox.openStore();
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
    cwtest::Sandbox sandbox;
    sandbox.openStore();
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
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    sharedConnection().execute(statements::sampleInsert());
    const qint64 first = allRows().at(0).id;
    sharedConnection().execute(statements::deleteById(first));
    sharedConnection().execute(statements::sampleInsert());
    QVERIFY(allRows().at(0).id > first);
}

int runStoreTests(int argc, char** argv) {
    TestStore test;
    return cwtest::exec(&test, argc, argv);
}

#include "test_store.moc"
