// Address books end to end: a real CardDAV server (radicale with a password, xandikos without) and a
// real watched folder, synced into a real store; the test writes the cards, Candlewise only reads.
#include "core/addressbook/folderwatch.h"
#include "core/addressbook/sources.h"
#include "core/addressbook/storequery.h"
#include "core/addressbook/syncrunner.h"
#include "core/storelocation.h"
#include "support/davserver.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sqlite3.h>

using namespace cw::addressbook;

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

// A server that gives every request the same answer and closes: the hostile or broken server.
class CannedServer : public QTcpServer {
  public:
    explicit CannedServer(const QByteArray& status, const QByteArray& body, const QByteArray& headers = {}) {
        answer_ = "HTTP/1.1 " + status + "\r\nContent-Type: application/xml\r\nConnection: close\r\n" +
                  headers + "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    socket->readAll();
                    if (!socket->property("answered").toBool()) {
                        socket->setProperty("answered", true);
                        socket->write(answer_);
                        socket->disconnectFromHost();
                    }
                });
        });
    }
    QUrl book() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/book/").arg(serverPort())); }

  private:
    QByteArray answer_;
};

// The built program's --sync: its exit code and what it wrote to stderr.
std::pair<int, QString> runSync() {
    QProcess program;
    program.start(qEnvironmentVariable("CANDLEWISE_PROGRAM_DIR") + "/candlewise", {"--sync"});
    program.waitForFinished(60000);
    return {program.exitCode(), QString::fromUtf8(program.readAllStandardError())};
}

} // namespace

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

    const qint64 id = addSource(store.connection, SourceKind::CardDav, books.first().url.toString(),
                                server.user, books.first().displayName);
    KeychainPasswords passwords;
    SyncRunner runner(cw::liveStoreFile(), &passwords);
    const auto savePassword = [&](const QString& password) {
        QSignalSpy saved(&passwords, &KeychainPasswords::passwordSaved);
        passwords.savePassword(id, server.user, password);
        QVERIFY(saved.wait(10000));
        QVERIFY(saved.first().at(1).toBool());
    };
    if (!server.user.isEmpty()) {
        savePassword("wrong");
        // One read of a book at a time; the save runs after it, as the store's jobs run in turn.
        QSignalSpy ready(&passwords, &PasswordSource::passwordReady);
        passwords.requestPassword(id, {}, {});
        passwords.requestPassword(id, {}, {});
        savePassword("wrong");
        QCOMPARE(ready.size(), 1);
        const Outcome refused = syncNow(runner, id);
        QCOMPARE(refused.error, "The server refused the user name or password.");
        savePassword(server.password);
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
}

void AddressBookTest::folder() {
    QFile::remove(cw::liveStoreFile()); // no list yet: nothing to sync, and no file made
    QCOMPARE(runSync(), std::make_pair(0, QString()));
    QVERIFY(!QFile::exists(cw::liveStoreFile()));
    Store store;
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
    for (const QString& name : {"c1", "c2", "c3", "c4", "c5"}) // a burst is read once
        write(name + ".vcf", card(name, name, "--1201"));
    settled({"Ann 4/10", "c1 12/1", "c2 12/1", "c3 12/1", "c4 12/1", "c5 12/1"});
    QVERIFY(QFile::remove(folder.filePath("ann.vcf")));
    settled({"c1 12/1", "c2 12/1", "c3 12/1", "c4 12/1", "c5 12/1"});

    // --sync: 0 when every source was read, 1 with one line for each that was not.
    QCOMPARE(runSync(), std::make_pair(0, QString()));
    addSource(store.connection, SourceKind::Folder, folder.filePath("missing"), {}, "Gone");
    const QString gone = "candlewise: Gone: The folder cannot be read: " + folder.filePath("missing") + '\n';
    QCOMPARE(runSync(), std::make_pair(1, gone));

    // A locked secret store is named as such, whether its unlock prompt cannot show or nobody answers it
    // (on a display of its own): --sync gives up on the book and goes on. The store stays locked.
    const auto call = [](QString object, const QString& method, const QString& argument) {
        return QProcess::execute("gdbus", {"call", "--session", "--object-path", object, "--dest",
                                           object.mid(1).replace('/', '.'), "--method", method, argument});
    };
    KeychainPasswords passwords;
    QSignalSpy saved(&passwords, &KeychainPasswords::passwordSaved);
    passwords.savePassword(
        addSource(store.connection, SourceKind::CardDav, "http://127.0.0.1:1/", "ann", "Friends"), "ann",
        "s3cret");
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
        QCOMPARE(runSync(), std::make_pair(1, gone + "candlewise: Friends: The secret store is locked.\n"));
    }
}

void AddressBookTest::hostile_data() {
    QTest::addColumn<QByteArray>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<QString>("error");
    const QByteArray multistatus = "<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>/book/a.vcf</d:href>"
                                   "<d:status>HTTP/1.1 200 OK</d:status></d:response></d:multistatus>";
    QTest::newRow("entities of a DTD")
        << QByteArray("207 Multi-Status")
        << "<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY x \"y\">]>" + multistatus << QByteArray()
        << "The server's answer holds a document type, which is not accepted.";
    QTest::newRow("garbage") << QByteArray("207 Multi-Status") << multistatus.left(60) << QByteArray()
                             << "The server's answer could not be read.";
    QTest::newRow("a body past 20 MB") << QByteArray("207 Multi-Status") << QByteArray((20 << 20) + 1, ' ')
                                       << QByteArray() << "The server's answer is too large.";
    QTest::newRow("redirects without end")
        << QByteArray("301 Moved") << QByteArray() << QByteArray("Location: /book/\r\n")
        << "The server sent too many redirects.";
    QTest::newRow("an error") << QByteArray("500 Internal Server Error") << QByteArray() << QByteArray()
                              << "The server answered with an error: 500 Internal Server Error";
    QTest::newRow("http:// elsewhere")
        << QByteArray() << QByteArray() << QByteArray()
        << "Only https:// addresses are accepted, so that the password never travels "
           "in clear: http://example.com/book/";
}

void AddressBookTest::hostile() {
    QFETCH(QByteArray, status);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, headers);
    QFETCH(QString, error);
    CannedServer server(status, body, headers);
    Store store;
    store.connection.execute("insert into tblBirthday (Person,BirthMonth,BirthDay) values ('Own',1,1)");
    const QUrl book = status.isEmpty() ? QUrl("http://example.com/book/") : server.book();
    const qint64 id = addSource(store.connection, SourceKind::CardDav, book.toString(), {}, "Book");
    SyncRunner runner(cw::liveStoreFile(), nullptr);
    QCOMPARE(syncNow(runner, id).error, error);
    QCOMPARE(store.rows(), QStringList{"Own 1/1"});
    QCOMPARE(findSource(store.connection, id)->lastError, error);
}

QTEST_GUILESS_MAIN(AddressBookTest)
#include "test_addressbook.moc"
