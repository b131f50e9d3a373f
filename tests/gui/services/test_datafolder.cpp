// The window's first run: the data folder made and the seed copied, or the store kept; and the
// store that cannot be made or read.
#include "core/apperror.h"
#include "core/statements.h"
#include "gui/services/datafolder.h"
#include "store/connection.h"
#include "store/storelocation.h"
#include "support/files.h"
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

QStringList storedRows() {
    return cwtest::storedRowTexts(statements::listQuery());
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

class TestDataFolder : public QObject {
    Q_OBJECT
  private slots:
    void firstRunCopiesBlankSeed();
    void preferredSeedWins();
    void secondRunKeepsTheStore();
    void removedStoreIsCopiedAgain();
    void plainFileNamedLikeTheMakerFolder();
    void missingDataHomeAndOddFolderNames();
    void sharedBaseMakesEverythingGroupWritable();
    void damagedStoreIsReportedAndLeftAlone();
    void missingStoreFailsToOpen();
};

void TestDataFolder::firstRunCopiesBlankSeed() {
    cwtest::Sandbox sandbox;
    QVERIFY(!QFileInfo::exists(makerFolder()));
    sandbox.openStore();
    QVERIFY(QFileInfo(makerFolder()).isDir());
    QVERIFY(QFileInfo(dataFolder()).isDir());
    QCOMPARE(dataFolder(), sandbox.path("common/Marrowfen/Candlewise Software"));
    QVERIFY(QFileInfo(liveStoreFile()).isWritable());
    QCOMPARE(sharedConnection().State(), 1);
    QVERIFY(storedRows().isEmpty());
    QVERIFY(!QFileInfo::exists(liveStoreFile() + ".part"));
}

void TestDataFolder::preferredSeedWins() {
    cwtest::Sandbox sandbox;
    makeSeedWithOneRow(sandbox.appFolder() + "/dbBirthdays.mdb");
    const QByteArray seedBefore = fileHash(sandbox.appFolder() + "/dbBirthdays.mdb");
    sandbox.openStore();
    QCOMPARE(storedRows(), QStringList{"Seeded|1|2"});
    sharedConnection().execute(statements::sampleInsert());
    QCOMPARE(fileHash(sandbox.appFolder() + "/dbBirthdays.mdb"), seedBefore); // seeds are only read
}

void TestDataFolder::secondRunKeepsTheStore() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    sharedConnection().execute(statements::editorInsert("Kept", 5, 6));
    sharedConnection().Close();
    makeSeedWithOneRow(sandbox.appFolder() + "/dbBirthdays.mdb"); // must not matter now
    sandbox.openStore();
    QCOMPARE(storedRows(), QStringList{"Kept|5|6"});
}

void TestDataFolder::removedStoreIsCopiedAgain() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    sharedConnection().execute(statements::editorInsert("Gone", 5, 6));
    sharedConnection().Close();
    QVERIFY(QFile::remove(liveStoreFile()));
    sandbox.openStore();
    QVERIFY(storedRows().isEmpty());
}

void TestDataFolder::plainFileNamedLikeTheMakerFolder() {
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
void TestDataFolder::missingDataHomeAndOddFolderNames() {
    cwtest::Sandbox sandbox;
    const QString home = sandbox.path(QStringLiteral("new home/we;ird \"x\"/share"));
    qputenv("CANDLEWISE_COMMON_APPDATA", home.toUtf8());
    QVERIFY(!QFileInfo::exists(sandbox.path("new home")));
    sandbox.openStore();
    QCOMPARE(liveStoreFile(), home + "/Marrowfen/Candlewise Software/dbData.mdb");
    QCOMPARE(Connection::dataSourceOf(connectionString()), liveStoreFile());
    QCOMPARE(sharedConnection().State(), 1);
    sharedConnection().execute(statements::editorInsert("Odd", 5, 6));
    QCOMPARE(storedRows().size(), 1);
    QVERIFY(QFileInfo(liveStoreFile()).isFile());
}

// A list shared by the users of a group: whatever the first user's umask, the next user of the
// group can write the folders and the store.
void TestDataFolder::sharedBaseMakesEverythingGroupWritable() {
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

void TestDataFolder::damagedStoreIsReportedAndLeftAlone() {
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

void TestDataFolder::missingStoreFailsToOpen() {
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

QTEST_GUILESS_MAIN(TestDataFolder)
#include "test_datafolder.moc"
