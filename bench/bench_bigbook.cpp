// A large address book read by the sync: a 20 MB multistatus fed to the reader in the pieces the
// network gives, and the first sync of 100,000 contacts with real-length hrefs (UUID file names) and
// ETags (40 hex digits) from a scripted server in this process. Beside the time: the longest single
// step on the event loop (what a window would feel) and the peak memory of the syncing process; the
// server runs in a process of its own.
#include "freshstore.h"
#include "store/query.h"
#include "store/sources.h"
#include "sync/davxml.h"
#include "sync/scriptedserver.h"
#include "sync/syncrunner.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QUuid>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>

using namespace cw;
using namespace cw::addressbook;

namespace {

const int bookSize = qEnvironmentVariableIntValue("BENCH_BOOK") > 0
                         ? qEnvironmentVariableIntValue("BENCH_BOOK")
                         : 100'000;
constexpr qsizetype piece = 256 << 10; // what the client reads at once

QByteArray hrefOf(int i) {
    return "/dav/addressbooks/users/ann/contacts/" +
           QUuid::fromRfc4122(QCryptographicHash::hash(QByteArray::number(i), QCryptographicHash::Md5))
               .toByteArray(QUuid::WithoutBraces) +
           ".vcf";
}
QByteArray etagOf(int i) {
    return "\"" + QCryptographicHash::hash(QByteArray::number(i), QCryptographicHash::Sha1).toHex() + "\"";
}
QByteArray cardOf(int i) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + QByteArray::number(i) + "\r\nFN:Contact " +
           QByteArray::number(i) + "\r\nEMAIL:c" + QByteArray::number(i) + "@example.com\r\nBDAY:1980-0" +
           QByteArray::number(i % 9 + 1) + "-1" + QByteArray::number(i % 9) + "\r\nEND:VCARD\r\n";
}
QByteArray listing(int contacts) {
    QByteArray responses;
    for (int i = 0; i < contacts; ++i)
        responses += cwtest::response(hrefOf(i), etagOf(i));
    return cwtest::multistatus(responses, "http://example.invalid/sync/1");
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024;
}

// The longest time between two turns of the event loop while it runs.
struct StallWatch {
    QTimer tick;
    QElapsedTimer since;
    qint64 longest = 0;
    StallWatch() {
        tick.setInterval(5);
        QObject::connect(&tick, &QTimer::timeout, [this] { longest = std::max(longest, since.restart()); });
        since.start();
        tick.start();
    }
};

void BM_ReadMultiStatus20MB(benchmark::State& state) {
    const QByteArray body = listing(85'000); // about 20 MB
    qint64 longest = 0;
    for (auto _ : state) {
        size_t responses = 0;
        MultiStatusReader reader(1 << 20, [&responses](DavResponse&&) { return ++responses > 0; });
        for (qsizetype at = 0; at < body.size(); at += piece) {
            QElapsedTimer step;
            step.start();
            reader.feed(QByteArrayView(body).sliced(at, std::min(piece, body.size() - at)));
            longest = std::max(longest, step.nsecsElapsed());
        }
        if (!reader.finish() || responses != 85'000)
            state.SkipWithError("the answer was not read");
    }
    state.counters["MB"] = double(body.size()) / (1 << 20);
    state.counters["longest_piece_ms"] = double(longest) / 1e6;
}
BENCHMARK(BM_ReadMultiStatus20MB)->Unit(benchmark::kMillisecond)->Iterations(3);

// The scripted server in a process of its own (this program with --serve), so that neither its work
// nor its memory is counted as the sync's.
void serve() {
    QHash<QString, int> numbers;
    for (int i = 0; i < bookSize; ++i)
        numbers.insert(QString::fromLatin1(hrefOf(i)), i);
    cwtest::ScriptedServer server;
    server.script["sync-collection"] = {cwtest::Answer("207 Multi-Status", listing(bookSize))};
    static const QRegularExpression href(QStringLiteral("<d:href>([^<]*)</d:href>"));
    server.responders["addressbook-multiget"] = [&numbers](const QByteArray& body) {
        QByteArray responses;
        for (const auto& match : href.globalMatch(QString::fromUtf8(body))) {
            const int i = numbers.value(match.captured(1));
            responses += cwtest::response(hrefOf(i), etagOf(i), cardOf(i));
        }
        return cwtest::Answer("207 Multi-Status", cwtest::multistatus(responses));
    };
    std::printf("%s\n", qPrintable(server.url("/dav/addressbooks/users/ann/contacts/").toString()));
    std::fflush(stdout);
    QCoreApplication::exec();
}

struct ServerProcess {
    QProcess process;
    QUrl book;
    ServerProcess() {
        process.start(QCoreApplication::applicationFilePath(), {"--serve"});
        process.waitForReadyRead(120'000);
        book = QUrl(QString::fromUtf8(process.readLine().trimmed()));
    }
    ~ServerProcess() {
        process.kill();
        process.waitForFinished();
    }
};

void BM_FirstSync100k(benchmark::State& state) {
    ServerProcess server;
    QTemporaryDir dir;
    const QString path = dir.filePath("store.mdb");
    for (auto _ : state) {
        state.PauseTiming();
        const qint64 id = freshStore(path, server.book);
        cw::Connection connection;
        openStore(connection, path);
        SyncRunner runner(path, nullptr);
        QSignalSpy finished(&runner, &SyncRunner::sourceFinished);
        StallWatch stalls;
        state.ResumeTiming();
        runner.syncSource(id);
        if ((finished.isEmpty() && !finished.wait(600'000)) || !finished.first().at(1).toBool()) {
            state.SkipWithError(qPrintable(finished.value(0).value(2).toString()));
            break;
        }
        state.counters["longest_stall_ms"] = double(stalls.longest);
        state.counters["rows"] = double(findSource(connection, id)->birthdayCount);
    }
    state.counters["peak_MB"] = peakMegabytes();
}
BENCHMARK(BM_FirstSync100k)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime()
    ->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--serve") {
        serve();
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
