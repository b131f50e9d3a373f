// The main window over large stores: the list refill at 1,000 / 10,000 / 100,000 rows, and start-up
// to the first filled list with 10,000 rows, both inside this process and as a fresh process.
// Runs offscreen with scripted services, so no message box, alert or browser can interrupt it.
#include "core/connection.h"
#include "core/statements.h"
#include "core/storelocation.h"
#include "gui/mainwindow/form1.h"
#include "gui/reminders/form3.h"
#include "gui/services/datafolder.h"
#include "gui/services/listview.h"
#include "support/modal.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>

#include <benchmark/benchmark.h>
#include <cstdio>

#include <memory>

namespace {

cwtest::Sandbox* sandbox = nullptr;
QString programPath;

// The live store holds exactly `rows` birthdays, none of them due on the sandbox's today
// (December 7), so no alert opens.
void fillStore(int rows) {
    static int current = -1;
    if (current == rows)
        return;
    cw::sharedConnection().Close();
    QFile::remove(cw::liveStoreFile());
    sandbox->openStore();
    cw::Connection& connection = cw::sharedConnection();
    connection.execute(QStringLiteral("begin"));
    for (int i = 0; i < rows; ++i) {
        int month = i % 12 + 1;
        int day = i % 28 + 1;
        if (month == 12 && day == 7)
            day = 8;
        connection.execute(
            cw::statements::editorInsert(QStringLiteral("Person O'Name %1").arg(i), month, day));
    }
    connection.execute(QStringLiteral("commit"));
    connection.Close();
    current = rows;
}

// A loaded, shown main window; the list is filled once before timing starts.
std::unique_ptr<cw::Form1> startedWindow() {
    auto form = std::make_unique<cw::Form1>();
    form->start();
    QCoreApplication::processEvents();
    return form;
}

void BM_ListBirthdays(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    fillStore(rows);
    auto form = startedWindow();
    if (form->ListView1->count() != rows)
        state.SkipWithError("the list was not filled");
    for (auto _ : state) {
        form->ListBirthdays(false);
        QCoreApplication::processEvents(); // the view lays out and repaints its visible rows
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.SetComplexityN(rows);
    form->close();
}
BENCHMARK(BM_ListBirthdays)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Window construction, Form_Load, showing, and the first activation's refill, in this process.
void BM_StartupToFilledList(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    fillStore(rows);
    for (auto _ : state) {
        auto form = std::make_unique<cw::Form1>();
        form->start();
        while (form->ListView1->count() < rows)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QCoreApplication::processEvents(); // the first paint of the filled list
        state.PauseTiming();
        form->close();
        form.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToFilledList)->Arg(10000)->Unit(benchmark::kMillisecond);

// A fresh process of this program: loading Qt and the platform plugin, the window, its load and the
// first filled list, until the process has ended. Also gives the peak memory of that process.
void BM_ProcessStartToFilledList(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    fillStore(rows);
    long peakKb = 0;
    for (auto _ : state) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(programPath, {QStringLiteral("--startup-child"), sandbox->path(QStringLiteral("common")),
                                  QString::number(rows)});
        if (!child.waitForFinished(60000) || child.exitStatus() != QProcess::NormalExit ||
            child.exitCode() != 0) {
            state.SkipWithError("the start-up child failed");
            break;
        }
        // The child's own high-water mark: a forked child's rusage would also count the pages it
        // shared with this process before it started the program.
        peakKb = std::max(peakKb, child.readAllStandardOutput().trimmed().toLong());
    }
    state.counters["peak_rss_MB"] = static_cast<double>(peakKb) / 1024.0;
}
BENCHMARK(BM_ProcessStartToFilledList)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The child: start the main window on the given store and end as soon as the list is filled.
int startupChild(int argc, char** argv) {
    QApplication app(argc, argv);
    cwtest::Sandbox childSandbox;
    qputenv("CANDLEWISE_COMMON_APPDATA", QByteArray(argv[2]));
    const int rows = QByteArray(argv[3]).toInt();
    cw::Form1 form;
    // A birthday due today opens the alert, which waits for an answer: give it as the tests do.
    cwtest::PendingModal answer =
        cwtest::whenModal<cw::Form3>([](cw::Form3* alert) { alert->PushButton2->click(); });
    form.start();
    while (form.ListView1->count() < rows)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    QCoreApplication::processEvents();
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmHWM:"))
                std::printf("%s\n", line.mid(6).trimmed().split(' ').value(0).constData());
    }
    std::fflush(stdout);
    answer.withdraw(); // no alert came
    return form.ListView1->count() == rows ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("CANDLEWISE_PROGRAM_DIR"))
        qputenv("CANDLEWISE_PROGRAM_DIR", CW_PROGRAM_DIR); // the side files of this build
    if (argc == 4 && QByteArray(argv[1]) == "--startup-child")
        return startupChild(argc, argv);
    QApplication app(argc, argv);
    programPath = QCoreApplication::applicationFilePath();
    cwtest::Sandbox owned;
    sandbox = &owned;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
