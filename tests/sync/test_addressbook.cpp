// Address books end to end: a real CardDAV server (radicale with a password, xandikos without) and a
// real watched folder, synced into a real store; the test writes the cards, Candlewise only reads.
#include "store/birthdaylist.h"
#include "store/query.h"
#include "store/sources.h"
#include "store/storelocation.h"
#include "support/datespellings.h"
#include "support/davserver.h"
#include "sync/contactcard.h"
#include "sync/discovery.h"
#include "sync/folderwatch.h"
#include "sync/scriptedserver.h"
#include "sync/syncrunner.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <qt6keychain/keychain.h>
#include <sqlite3.h>

using namespace cw;
using namespace cw::addressbook;
using namespace cwtest;

namespace {

using Server = cwtest::DavServer;
using cwtest::card;

// The live store where the program finds it, holding the birthday table alone, as an older version left it.
class Store {
  public:
    Store() {
        QDir().mkpath(QFileInfo(cw::liveStoreFile()).absolutePath());
        QFile::remove(cw::liveStoreFile());
        sqlite3* db = nullptr;
        sqlite3_open(QFile::encodeName(cw::liveStoreFile()).constData(), &db);
        sqlite3_exec(db,
                     "create table tblBirthday (id INTEGER PRIMARY KEY AUTOINCREMENT, Person TEXT, "
                     "BirthMonth SMALLINT, BirthDay SMALLINT)",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
        openStore(connection, cw::liveStoreFile());
    }
    QStringList rows() {
        QStringList rows;
        Query query(connection, "select Person, BirthMonth, BirthDay from tblBirthday order by Person");
        while (query.next())
            rows << QStringLiteral("%1 %2/%3").arg(query.text(0), query.text(1), query.text(2));
        return rows;
    }
    qint64 idOf(const QString& person) {
        Query query(connection, "select id from tblBirthday where Person=?");
        query.bind(1, person);
        return query.next() ? query.number(0) : 0;
    }
    cw::Connection connection;
};

struct Outcome {
    bool ok = false;
    QString error;
};

Outcome syncNow(SyncRunner& runner, qint64 sourceId) {
    QSignalSpy finished(&runner, &SyncRunner::sourceFinished);
    runner.syncSource(sourceId);
    if (finished.isEmpty() && !finished.wait(30000))
        return {false, QStringLiteral("no answer")};
    return {finished.first().at(1).toBool(), finished.first().at(2).toString()};
}

// The built program's --sync: its exit code and what it wrote to stderr.
std::pair<int, QString> runSync() {
    QProcess program;
    program.start(qEnvironmentVariable("CANDLEWISE_PROGRAM_DIR") + "/candlewise", {"--sync"});
    if (!program.waitForFinished(60000))
        return {-1, QStringLiteral("still running")};
    return {program.exitCode(), QString::fromUtf8(program.readAllStandardError())};
}

// One sync against the scripted server: its answers, and the error and sync-token it must end with.
struct Sync {
    Sync(Script script = {}, QString error = {}, QByteArray token = {})
        : script(std::move(script)), error(std::move(error)), token(std::move(token)) {}
    Script script;
    QString error;
    QByteArray token;
};

// Hands the runner the book's password at once, as a secret store that holds it does.
class GivenPassword : public PasswordSource {
  public:
    void requestPassword(qint64 sourceId, const QString&, const QString&) override {
        emit passwordReady(sourceId, QStringLiteral("s3cret"), true);
    }
};

// The labels of Candlewise's entries in the secret store, as its own windows list them; the entries go
// when told to (the store outlives a run).
QStringList labels(bool remove = false) {
    const auto call = [](const QString& path, const QString& interface, const QString& method,
                         const QVariantList& arguments) {
        QDBusMessage message =
            QDBusMessage::createMethodCall("org.freedesktop.secrets", path, interface, method);
        message.setArguments(arguments);
        return QDBusConnection::sessionBus().call(message).arguments().value(0);
    };
    QStringList labels;
    for (const QDBusObjectPath& item : qdbus_cast<QList<QDBusObjectPath>>(
             call("/org/freedesktop/secrets", "org.freedesktop.Secret.Service", "SearchItems",
                  {QVariant::fromValue(QMap<QString, QString>{{"server", "Candlewise"}})}))) {
        labels << call(item.path(), "org.freedesktop.DBus.Properties", "Get",
                       {"org.freedesktop.Secret.Item", "Label"})
                      .value<QDBusVariant>()
                      .variant()
                      .toString();
        if (remove)
            call(item.path(), "org.freedesktop.Secret.Item", "Delete", {});
    }
    return labels;
}

QByteArray vcard(const QByteArray& name, const QByteArray& birthday) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nBDAY:" + birthday + "\r\nEND:VCARD\r\n";
}

} // namespace

Q_DECLARE_METATYPE(QList<Sync>)

class AddressBookTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("CANDLEWISE_COMMON_APPDATA"), "run by ctest only");
    }
    void server_data();
    void server();
    void folder();
    void hostile_data();
    void hostile();
};

void AddressBookTest::server_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("radicale, with a password") << "radicale";
    QTest::newRow("xandikos, no login") << "xandikos";
}

void AddressBookTest::server() {
    QFETCH(QString, kind);
    if (QStandardPaths::findExecutable(kind).isEmpty() || QStandardPaths::findExecutable("curl").isEmpty())
        QSKIP("The server or curl is not installed.");
    Server server;
    QVERIFY(server.start(kind));
    Store store;
    store.connection.execute("insert into tblBirthday (Person,BirthMonth,BirthDay) values ('Cy Own',5,5)");
    server.putCard("ann", "Ann", "1990-03-09");
    server.putCard("bob", "Bob");
    server.putCard("cy", "Cy Own", "--0505"); // equal to the user's own row

    // Discovery from the server's root: principal, home set, the book.
    Discovery discovery;
    QSignalSpy found(&discovery, &Discovery::found);
    discovery.start(server.root, server.user, server.password);
    QVERIFY(found.wait(30000));
    const auto books = found.first().first().value<QList<FoundBook>>();
    QCOMPARE(books.size(), 1);
    QCOMPARE(books.first().url.path(), server.book.path());

    const QString address = books.first().url.toString();
    const qint64 id =
        addSource(store.connection, SourceKind::CardDav, address, server.user, books.first().displayName);
    KeychainPasswords passwords(cw::liveStoreFile());
    SyncRunner runner(cw::liveStoreFile(), &passwords);
    const auto savePassword = [&](const QString& password) {
        QSignalSpy saved(&passwords, &KeychainPasswords::passwordSaved);
        passwords.savePassword(id, address, server.user, password);
        QVERIFY(saved.wait(10000));
        QVERIFY(saved.first().at(1).toBool());
    };
    labels(true); // whatever an earlier case left behind
    if (!server.user.isEmpty()) {
        // The last version's entry of the book serves it, and moves to the account, named for the user.
        QKeychain::WritePasswordJob last("Candlewise");
        last.setAutoDelete(false);
        last.setKey(QString("address book %1").arg(id));
        last.setTextData(server.password);
        last.start();
        QVERIFY(QSignalSpy(&last, &QKeychain::Job::finished).wait(10000));
        QSignalSpy moved(&passwords, &KeychainPasswords::passwordSaved);
        QCOMPARE(syncNow(runner, id).error, QString());
        // The move is saved once, and only then named: its signal must not answer a later save's wait.
        QTRY_COMPARE(moved.size(), 1);
        const QString account = " (ann on " + server.root.authority() + ")";
        QCOMPARE(labels(), QStringList({"Candlewise: Friends" + account}));
        // A second book of the account shares its one entry, whatever password the user gives.
        const QUrl family = server.book.resolved(QUrl("../family/"));
        QVERIFY(server.makeBook(family, "Family"));
        const qint64 second =
            addSource(store.connection, SourceKind::CardDav, family.toString(), server.user, "Family");
        savePassword("wrong");
        // One read of a book at a time; the save runs after it, as the store's jobs run in turn.
        QSignalSpy ready(&passwords, &PasswordSource::passwordReady);
        passwords.requestPassword(id, address, server.user);
        passwords.requestPassword(id, address, server.user);
        savePassword("wrong");
        QCOMPARE(ready.size(), 1);
        const Outcome refused = syncNow(runner, second);
        QCOMPARE(refused.error, "The server refused the user name or password.");
        savePassword(server.password);
        QCOMPARE(labels(), QStringList({"Candlewise: Friends and 1 more" + account}));
        QCOMPARE(syncNow(runner, second).error, QString());
        removeSource(store.connection, second); // the account's entry stays for its other book
        passwords.forgetPassword(second, family.toString(), server.user);
        QTRY_COMPARE(labels(), QStringList({"Candlewise: Friends" + account}));
    }
    QCOMPARE(syncNow(runner, id).error, QString());
    QCOMPARE(store.rows(), QStringList({"Ann 3/9", "Cy Own 5/5"}));
    QVERIFY(!originOf(store.connection, store.idOf("Cy Own"))); // stays the user's own
    QCOMPARE(originOf(store.connection, store.idOf("Ann"))->sourceId, id);

    // Added, changed, deleted upstream; read by the program's --sync with the password of the secret store.
    server.putCard("ann", "Ann B", "1990-04-10");
    server.putCard("bob", "Bob", "--1224");
    server.remove("cy");
    server.putCard("dan", "Dan", "2000-02-29");
    // A last version's store with the password inside the address: --sync moves it to the secret store.
    const QString location = findSource(store.connection, id)->location;
    if (!server.user.isEmpty()) {
        savePassword("wrong");
        Query(store.connection,
              "update tblSource set Location=replace(Location,'//','//ann:s3cret@'), UserName=''")
            .run();
    }
    QCOMPARE(runSync(), std::make_pair(0, QString()));
    QCOMPARE(findSource(store.connection, id)->location + findSource(store.connection, id)->userName,
             location + server.user);
    QVERIFY(!cwtest::fileHolds(cw::liveStoreFile(), "s3cret"));
    QCOMPARE(store.rows(), QStringList({"Ann B 4/10", "Bob 12/24", "Cy Own 5/5", "Dan 2/29"}));

    // A hidden contact stays hidden when it changes; a token the server no longer knows falls back to
    // comparing ETags, which still sees a contact deleted.
    hideContact(store.connection, store.idOf("Dan"));
    server.putCard("dan", "Dan D", "2000-02-29");
    server.remove("bob");
    Query(store.connection, "update tblSource set SyncToken='http://example.invalid/ns/sync/gone' where id=?")
        .bind(1, id)
        .run();
    QCOMPARE(syncNow(runner, id).error, QString());
    QCOMPARE(store.rows(), QStringList({"Ann B 4/10", "Cy Own 5/5"}));
    const std::vector<HiddenContact> hidden = hiddenContacts(store.connection, id);
    QCOMPARE(hidden.size(), size_t(1));
    QCOMPARE(hidden.front().name, "Dan D");
    showContact(store.connection, id, hidden.front().href);
    QCOMPARE(store.rows(), QStringList({"Ann B 4/10", "Cy Own 5/5", "Dan D 2/29"}));

    if (kind == "radicale") {
        // Every spelling of the date table through a book of its own: each day of a card is a row with its
        // year, kind and date of death; a card whose birthday is damaged stays out until it is mended, and
        // the server may refuse a phone's vCard 2.1 (quoted-printable), never another.
        const QUrl dates = server.book.resolved(QUrl("../dates/"));
        QVERIFY(server.makeBook(dates, "Dates"));
        const std::vector<DateSpelling> spellings = dateSpellings();
        std::vector<bool> left;
        for (size_t i = 0; i < spellings.size(); ++i) {
            const QByteArray card = spellingCard(spellings[i], i);
            left.push_back(server.put(dates.resolved(QUrl(QString("s%1.vcf").arg(i))), "PUT", card) / 100 !=
                           2);
            QVERIFY2(!left.back() || spellings[i].version == "2.1", card);
            left.back() = left.back() || readContact({}, {}, card).damaged;
        }
        const qint64 datesId =
            addSource(store.connection, SourceKind::CardDav, dates.toString(), server.user, "");
        QCOMPARE(syncNow(runner, datesId).error, QString());
        const QHash<QString, QString> stored = entriesByName(BirthdayList::read(store.connection));
        for (size_t i = 0; i < spellings.size(); ++i)
            QCOMPARE(stored.value(QString("Spelling %1").arg(i)),
                     left[i] ? QString() : storedOf(spellings[i]));
        removeSource(store.connection, datesId);
        passwords.forgetPassword(datesId, dates.toString(), server.user);
    }

    // The server gone: the rows stay, and the one error is kept for the window.
    server.process.kill();
    server.process.waitForFinished();
    const Outcome gone = syncNow(runner, id);
    QVERIFY2(gone.error.startsWith("Cannot reach 127.0.0.1:"), qPrintable(gone.error));
    QCOMPARE(store.rows(), QStringList({"Ann B 4/10", "Cy Own 5/5", "Dan D 2/29"}));
    QCOMPARE(findSource(store.connection, id)->lastError, gone.error);
    QCOMPARE(findSource(store.connection, id)->birthdayCount, 2);
    QCOMPARE(removeSource(store.connection, id), 2);
    QCOMPARE(store.rows(), QStringList({"Cy Own 5/5"}));
    passwords.forgetPassword(id, address, server.user); // and goes with its last
    QTRY_COMPARE(labels(), QStringList());
}

void AddressBookTest::folder() {
    QFile::remove(cw::liveStoreFile()); // no list yet: nothing to sync, and no file made
    QCOMPARE(runSync(), std::make_pair(0, QString()));
    QVERIFY(!QFile::exists(cw::liveStoreFile()));
    Store store;
    QCOMPARE(runSync(), std::make_pair(0, QString())); // a list with no address book: nothing to wait for
    QTemporaryDir folder;
    const qint64 id = addSource(store.connection, SourceKind::Folder, folder.path(), {}, "Cards");
    SyncRunner runner(cw::liveStoreFile(), nullptr);
    FolderWatch watch;
    QSignalSpy changed(&watch, &FolderWatch::changed);
    QSignalSpy finished(&runner, &SyncRunner::sourceFinished);
    connect(&watch, &FolderWatch::changed, &runner, &SyncRunner::syncSource);
    watch.watch(id, folder.path());
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    };
    // Each step is seen by the watch, once, and read by the sync it starts.
    const auto settled = [&](const QStringList& rows) {
        QVERIFY(finished.wait(10000));
        QTest::qWait(3 * FolderWatch::settleMs);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().at(2).toString(), QString());
        QCOMPARE(store.rows(), rows);
        changed.clear();
        finished.clear();
    };

    write("ann.vcf.tmp", card("ann", "Ann", "19900309"));
    write(".bob.vcf", card("bob", "Bob", "--0101")); // a dot-file is a sync tool's own
    QVERIFY(QFile::rename(folder.filePath("ann.vcf.tmp"), folder.filePath("ann.vcf")));
    settled({"Ann 3/9"});
    write("ann.vcf", card("ann", "Ann", "1990-04-10")); // rewritten in place
    settled({"Ann 4/10"});
    for (const QString name : {"c1", "c2", "c3", "c4", "c5"}) // a burst is read once
        write(name + ".vcf", card(name, name, "--1201"));
    settled({"Ann 4/10", "c1 12/1", "c2 12/1", "c3 12/1", "c4 12/1", "c5 12/1"});
    QVERIFY(QFile::remove(folder.filePath("ann.vcf")));
    settled({"c1 12/1", "c2 12/1", "c3 12/1", "c4 12/1", "c5 12/1"});

    // --sync: 0 when every source was read, 1 with one line for each that was not. A card that
    // cannot be read (half written, a file name that is not UTF-8) keeps its row and is named. The list
    // is read, and then written, as the last version left it, without the columns of what was trusted.
    for (const QString column : {"AllowHttp", "TrustedCertificate"})
        store.connection.execute("alter table tblSource drop column " + column);
    QCOMPARE(runSync(), std::make_pair(0, QString()));
    watch.unwatch(id);
    write("half.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Half\r\nBDAY:--0101\r\n");
    write("left.vcf.tmp", card("left", "Left", "--0101")); // a sync tool's leftover is no card
    QFile odd(folder.path() + "/" + QFile::decodeName("\xff.vcf"));
    QVERIFY(odd.open(QIODevice::WriteOnly));
    addSource(store.connection, SourceKind::Folder, folder.filePath("missing"), {}, "Gone");
    const QString failed = "candlewise: Cards: 2 cards could not be read (first: half.vcf)\n"
                           "candlewise: Gone: The folder cannot be read: " +
                           folder.filePath("missing") + '\n';
    QCOMPARE(runSync(), std::make_pair(1, failed));
    QCOMPARE(store.rows(), QStringList({"c1 12/1", "c2 12/1", "c3 12/1", "c4 12/1", "c5 12/1"}));

    // A folder moved away while its sync reads it in slices: the sync fails and no row goes.
    for (int i = 0; i < 300; ++i)
        write(QStringLiteral("m%1.vcf").arg(i), card("m", QStringLiteral("m%1").arg(i), "--0101"));
    runner.syncSource(id);
    QVERIFY(QDir().rename(folder.path(), folder.path() + "-moved"));
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.last().at(2).toString(), "The folder cannot be read: " + folder.path());
    QCOMPARE(store.rows().size(), 5 + 199); // half.vcf and the first 199 of the new cards
    QVERIFY(QDir().rename(folder.path() + "-moved", folder.path()));

    // A locked secret store is named as such, whether its unlock prompt cannot show or nobody answers it
    // (on a display of its own): --sync gives up on the book and goes on. The store stays locked.
    const auto call = [](QString object, const QString& method, const QString& argument) {
        return QProcess::execute("gdbus", {"call", "--session", "--object-path", object, "--dest",
                                           object.mid(1).replace('/', '.'), "--method", method, argument});
    };
    KeychainPasswords passwords(cw::liveStoreFile());
    QSignalSpy saved(&passwords, &KeychainPasswords::passwordSaved);
    const qint64 friends =
        addSource(store.connection, SourceKind::CardDav, "http://127.0.0.1:1/", "ann", "Friends");
    passwords.savePassword(friends, "http://127.0.0.1:1/", "ann", "s3cret");
    QVERIFY(saved.wait(10000));
    QCOMPARE(call("/org/freedesktop/secrets", "org.freedesktop.Secret.Service.Lock",
                  "[objectpath '/org/freedesktop/secrets/collection/login']"),
             0);
    QProcess display;
    for (const QString& shown : {QString(), QString("Xvfb")}) {
        if (!shown.isEmpty())
            display.start(shown, {"-displayfd", "1", "-nolisten", "tcp"});
        QVERIFY(shown.isEmpty() || display.waitForReadyRead(10000));
        QCOMPARE(call("/org/freedesktop/DBus", "org.freedesktop.DBus.UpdateActivationEnvironment",
                      "{'DISPLAY': ':" + display.readLine().trimmed() + "', 'WAYLAND_DISPLAY': ''}"),
                 0);
        QCOMPARE(runSync(), std::make_pair(1, failed + "candlewise: Friends: The secret store is locked.\n"));
    }
    // While its unlock window waits, the book says so.
    passwords.requestPassword(friends, "http://127.0.0.1:1/", "ann");
    QTRY_COMPARE(passwords.waitingText(friends), "Waiting for the secret store to be unlocked");
}

void AddressBookTest::hostile_data() {
    QTest::addColumn<QList<Sync>>("syncs");
    QTest::addColumn<QStringList>("rows"); // after the last sync, beside the user's own "Own 1/1"
    QTest::addColumn<QString>("book");     // instead of the scripted server's, when given
    QTest::addColumn<bool>("tls");
    const auto row = [](const char* name, const QList<Sync>& syncs, const QStringList& rows = {},
                        const QString& book = {},
                        bool tls = false) { QTest::newRow(name) << syncs << rows << book << tls; };
    const auto ok = [](const QByteArray& body, const QByteArray& token = {}) {
        return Answer{"207 Multi-Status", multistatus(body, token)};
    };
    const auto only = [](const Answer& any) { return Script{{"", {any}}}; };
    const auto fetched = [&](const QByteArray& listed, const QByteArray& token, const QByteArray& cards) {
        return Script{{"sync-collection", {ok(listed, token)}}, {"addressbook-multiget", {ok(cards)}}};
    };
    const QString unread = "The server's answer could not be read.";
    const QByteArray a = response("/book/a.vcf", "\"1\""), b = response("/book/b.vcf", "\"1\"");
    const auto card = [](const QByteArray& href, const QByteArray& name, const QByteArray& birthday) {
        return response(href, "\"1\"", vcard(name, birthday));
    };
    const QByteArray cardA = card("/book/a.vcf", "Ann", "1990-01-02"),
                     cardB = card("/book/b.vcf", "Ben", "--0203");
    QByteArray attributes = "<d:multistatus xmlns:d=\"DAV:\"><d:response";
    for (int i = 0; i < 80'000; ++i)
        attributes += " a" + QByteArray::number(i) + "=\"\"";
    QByteArray page; // more contacts than one sync reads, over ten pages
    for (int i = 0; i <= 10'000; ++i)
        page += response("/book/" + QByteArray::number(i) + ".vcf", "\"1\"");

    row("entities of a DTD",
        {{only({"207 Multi-Status",
                "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY x \"y\">]>" + multistatus(a)}),
          "The server's answer holds a document type, which is not accepted."}});
    row("garbage", {{only({"207 Multi-Status", multistatus(a).left(60)}), unread}});
    row("80,000 attributes on one element", {{only({"207 Multi-Status", attributes}), unread}});
    row("nesting 200,000 deep",
        {{only({"207 Multi-Status",
                "<d:multistatus xmlns:d=\"DAV:\">" + QByteArray(1'000'000, 'x').replace("xxxxx", "<d:x>")}),
          unread}});
    row("a body past 20 MB",
        {{only({"200 OK", QByteArray((20 << 20) + 1, ' ')}), "The server's answer is too large."}});
    row("redirects without end",
        {{only({"301 Moved", {}, "Location: /book/\r\n"}), "The server sent too many redirects."}});
    row("an error", {{only({"500 Internal Server Error"}),
                      "The server answered with an error: 500 Internal Server Error"}});
    row("http:// elsewhere",
        {{{},
          "Only https:// addresses are accepted, so that the password never travels in clear: "
          "http://example.com/book/"}},
        {}, "http://example.com/book/");
    row("a redirect to another origin, which asks for the password",
        {{only({"307 Moved", {}, "Location: {other}\r\n"}),
          "The server moved the address book to {other}; add that address instead."}});
    row("https to http",
        {{only({"301 Moved", {}, "Location: {other}\r\n"}),
          "The server redirected to an address that is not secure: {other}"}},
        {}, {}, true);
    row("an answer cut short keeps the old token",
        {{{{"sync-collection", {{"207 Multi-Status", multistatus(a + b, "t1"), {}, 5000}}}},
          "The server's answer was cut short."}});
    row("a failed fetch keeps the old token; the next sync brings the card",
        {{{{"sync-collection", {ok(a, "t1")}}, {"addressbook-multiget", {{"500 Down"}}}},
          "The server answered with an error: 500 Down"},
         {fetched(a, "t1", cardA), {}, "t1"}},
        {"Ann 1/2"});
    row("a damaged date keeps the row, and the card is asked for again",
        {{fetched(a, "t1", cardA), {}, "t1"},
         {fetched(response("/book/a.vcf", "\"2\""), "t2", card("/book/a.vcf", "Ann", "1999-02-29")),
          {},
          "t1"}},
        {"Ann 1/2"});
    row("a card of 100 KB is read, one past 1 MB is not",
        {{fetched(a + b, "t1",
                  card("/book/a.vcf", "Ann", "1990-01-02\r\nNOTE:" + QByteArray(100 << 10, 'n')) +
                      card("/book/b.vcf", "Ben", "--0203\r\nNOTE:" + QByteArray(1 << 20, 'n'))),
          {},
          "t1"}},
        {"Ann 1/2"});
    row("no sync-token: a contact left out of the listing is gone",
        {{fetched(a + b, {}, cardA + cardB)}, {{{"sync-collection", {ok(a)}}}}}, {"Ann 1/2"});
    row("cards from outside the book, or never asked for",
        {{fetched(a + response("/book/../x/y.vcf", "\"1\"") + response("/other/z.vcf", "\"1\"") +
                      response("{other}w.vcf", "\"1\""),
                  "t1",
                  cardA + card("/book/b.vcf", "Ben", "--0203") + card("/x/y.vcf", "Y", "--0101") +
                      card("/other/z.vcf", "Z", "--0101") + card("{other}w.vcf", "W", "--0101")),
          {},
          "t1"}},
        {"Ann 1/2"});
    row("a report in pages: every row in one sync",
        {{{{"sync-collection", {ok(a + response("/book/", "507"), "t1"), ok(b, "t2")}},
           {"addressbook-multiget", {ok(cardA), ok(cardB)}}},
          {},
          "t2"}},
        {"Ann 1/2", "Ben 2/3"});
    row("pages without end: the contact bound holds for the whole sync",
        {{fetched(page + response("/book/", "507"), "t{n}", {}),
          QString("The address book holds more contacts than Candlewise reads (%L1).").arg(100'000),
          "t817"}}); // the last whole page's
}

void AddressBookTest::hostile() {
    QFETCH(QList<Sync>, syncs);
    QFETCH(QStringList, rows);
    QFETCH(QString, book);
    QFETCH(bool, tls);
    QTemporaryDir keys;
    const auto [certificate, key, fingerprint] = tls ? makeCertificate(keys.path(), "own") : Certificate();
    if (tls) { // a certificate of the test's own, trusted as its own authority
        QVERIFY(!certificate.isNull() && !key.isNull() && !fingerprint.isEmpty());
        QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
        trusting.addCaCertificate(certificate);
        QSslConfiguration::setDefaultConfiguration(trusting);
    }
    ScriptedServer server(QHostAddress::LocalHost, certificate, key);
    // Another origin, which would take the password if it were offered.
    ScriptedServer other(QHostAddress("127.0.0.2"));
    other.script[""] = {Answer("401 Unauthorized", {}, "WWW-Authenticate: Basic realm=\"x\"\r\n")};
    const QString otherUrl = other.url().toString();
    Store store;
    store.connection.execute("insert into tblBirthday (Person,BirthMonth,BirthDay) values ('Own',1,1)");
    const QUrl address = book.isEmpty() ? server.url() : QUrl(book);
    const qint64 id = addSource(store.connection, SourceKind::CardDav, address.toString(), "ann", "Book");
    GivenPassword passwords;
    SyncRunner runner(cw::liveStoreFile(), &passwords);
    for (Sync& sync : syncs) {
        for (QList<Answer>& answers : sync.script)
            for (Answer& answer : answers) {
                answer.headers.replace("{other}", otherUrl.toUtf8());
                answer.body.replace("{other}", otherUrl.toUtf8());
            }
        server.script = sync.script;
        const QString error = QString(sync.error).replace("{other}", otherUrl);
        QCOMPARE(syncNow(runner, id).error, error);
        QCOMPARE(findSource(store.connection, id)->lastError, error);
        Query token(store.connection, "select coalesce(SyncToken,'') from tblSource where id=?");
        QVERIFY(token.bind(1, id).next());
        QCOMPARE(token.text(0), QString(sync.token));
    }
    QCOMPARE(store.rows(), QStringList(rows) << "Own 1/1");
    QCOMPARE(other.requests, QList<QByteArray>());
    for (const QByteArray& request : std::as_const(server.requests))
        QVERIFY(request.contains("\r\nUser-Agent: Candlewise/"));
}

QTEST_GUILESS_MAIN(AddressBookTest)
#include "test_addressbook.moc"
