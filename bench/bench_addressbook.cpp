// The sync of a CardDAV address book of 5,000 contacts on a local radicale: the first sync, which
// reads the whole book, and a later one that finds one change. The CPU time is this process's own (all
// its threads), beside the wall time that includes the server's work. Then, without a server, the
// store's side of subscribing to a large book: into an empty list, and into a list that holds the same
// birthdays already (imported by hand before).
#include "freshstore.h"
#include "store/contactstore.h"
#include "store/query.h"
#include "store/sources.h"
#include "sync/contactcard.h"
#include "sync/syncrunner.h"

#include <QDir>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

using namespace cw;
using namespace cw::addressbook;

namespace {

constexpr int contacts = 5000;

QByteArray card(int i, int day) {
    return QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:c%1\r\nFN:Contact %1\r\nN:%1;Contact;;;\r\n"
                          "EMAIL:c%1@example.com\r\nBDAY:1980-%2-%3\r\nEND:VCARD\r\n")
        .arg(i)
        .arg(i % 12 + 1, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'))
        .toUtf8();
}

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

// Radicale without login on a free port, its book written straight into its storage folder.
struct Radicale {
    QTemporaryDir dir;
    QProcess process;
    QUrl book;

    Radicale() {
        const QString folder = dir.filePath("collections/collection-root/bench/contacts");
        QDir().mkpath(folder);
        write(folder + "/.Radicale.props", R"({"tag": "VADDRESSBOOK", "D:displayname": "Bench"})");
        for (int i = 0; i < contacts; ++i)
            write(QStringLiteral("%1/c%2.vcf").arg(folder).arg(i), card(i, i % 28 + 1));
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        write(dir.filePath("config"),
              QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n[auth]\ntype = none\n[rights]\n"
                             "type = authenticated\n[storage]\nfilesystem_folder = %2\n")
                  .arg(port)
                  .arg(dir.filePath("collections"))
                  .toUtf8());
        process.start("radicale", {"--config", dir.filePath("config")});
        book = QUrl(QStringLiteral("http://127.0.0.1:%1/bench/contacts/").arg(port));
        for (int tries = 0; tries < 100; ++tries) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            if (socket.waitForConnected(100))
                return;
            QThread::msleep(100);
        }
    }
    ~Radicale() {
        process.kill();
        process.waitForFinished();
    }
    void send(const char* method, const QUrl& url, const QByteArray& body) {
        QProcess curl;
        curl.start("curl", {"-s", "-o", "/dev/null", "-X", method, "-H", "Depth: 1", "--data-binary", "@-",
                            url.toString()});
        curl.write(body);
        curl.closeWriteChannel();
        curl.waitForFinished(-1);
    }
    void change(int i, int day) {
        send("PUT", book.resolved(QUrl(QStringLiteral("c%1.vcf").arg(i))), card(i, day));
    }
    // Radicale reads and caches every card when first asked for them: that is not Candlewise's time.
    void warmUp() {
        send("REPORT", book,
             "<c:addressbook-query xmlns:d=\"DAV:\" "
             "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop><d:getetag/>"
             "<c:address-data/></d:prop></c:addressbook-query>");
        send("REPORT", book,
             "<d:sync-collection "
             "xmlns:d=\"DAV:\"><d:sync-token/><d:sync-level>1</d:sync-level><d:prop><d:getetag/>"
             "</d:prop></d:sync-collection>");
    }
};

bool sync(const QString& path, qint64 sourceId) {
    SyncRunner runner(path, nullptr);
    QSignalSpy finished(&runner, &SyncRunner::sourceFinished);
    runner.syncSource(sourceId);
    if ((finished.isEmpty() && !finished.wait(600000)) || !finished.first().at(1).toBool()) {
        qWarning("The sync failed: %s",
                 qPrintable(finished.isEmpty() ? QString() : finished.first().at(2).toString()));
        return false;
    }
    return true;
}

void BM_FirstSync(benchmark::State& state) {
    Radicale radicale;
    QTemporaryDir dir;
    const QString path = dir.filePath("store.mdb");
    radicale.warmUp();
    sync(path, freshStore(path, radicale.book));
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 sourceId = freshStore(path, radicale.book);
        state.ResumeTiming();
        if (!sync(path, sourceId)) {
            state.SkipWithError("the sync failed");
            break;
        }
    }
}
BENCHMARK(BM_FirstSync)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(3);

void BM_IncrementalSync(benchmark::State& state) {
    Radicale radicale;
    QTemporaryDir dir;
    const QString path = dir.filePath("store.mdb");
    const qint64 sourceId = freshStore(path, radicale.book);
    radicale.warmUp();
    if (!sync(path, sourceId)) {
        state.SkipWithError("the first sync failed");
        return;
    }
    int day = 1;
    for (auto _ : state) {
        state.PauseTiming();
        radicale.change(42, day++ % 28 + 1);
        state.ResumeTiming();
        if (!sync(path, sourceId)) {
            state.SkipWithError("the sync failed");
            break;
        }
    }
}
BENCHMARK(BM_IncrementalSync)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(10);

// Cards read and applied in slices of 200, as a folder's sync does; the list empty or holding every
// birthday already.
void BM_Subscribe(benchmark::State& state) {
    const int cards = int(state.range(0));
    const bool imported = state.range(1) != 0;
    QTemporaryDir dir;
    const QString path = dir.filePath("store.mdb");
    std::vector<QByteArray> book;
    for (int i = 0; i < cards; ++i)
        book.push_back(card(i, i % 28 + 1));
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 sourceId = freshStore(path, QUrl("file:///book"));
        cw::Connection connection;
        openStore(connection, path);
        if (imported) {
            Transaction transaction(connection);
            Query insert(connection, "insert into tblBirthday (Person,BirthMonth,BirthDay) values (?,?,?)");
            for (int i = 0; i < cards; ++i)
                insert.bind(1, QStringLiteral("Contact %1").arg(i))
                    .bind(2, i % 12 + 1)
                    .bind(3, i % 28 + 1)
                    .run();
            transaction.commit();
        }
        state.ResumeTiming();
        ContactStore store(connection, sourceId);
        for (int first = 0; first < cards; first += 200) {
            std::vector<Contact> contacts;
            for (int i = first; i < std::min(cards, first + 200); ++i)
                contacts.push_back(
                    readContact(QStringLiteral("c%1.vcf").arg(i), QStringLiteral("e"), book[i]));
            store.apply(contacts);
        }
        state.PauseTiming();
        Query rows(connection, "select count(*) from tblBirthday");
        if (!rows.next() || rows.number(0) != cards)
            state.SkipWithError("rows were lost or doubled");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Subscribe)
    ->ArgNames({"cards", "imported"})
    ->ArgsProduct({{10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
