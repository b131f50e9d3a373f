// The main window over large stores: the list refill at 1,000 / 10,000 / 100,000 rows, a keystroke in
// the find field and a click on a column header over 100,000 rows, and start-up to the first filled
// list with 10,000 rows, both inside this process and as a fresh process.
// Runs offscreen with scripted services, so no message box, alert or browser can interrupt it.
// Only the window's public face is used (Form1, ListView1, findField, the header, the keys), so the
// same file measures the list before and after a rewrite of its insides.
#include "core/statements.h"
#include "gui/mainwindow/form1.h"
#include "gui/reminders/form3.h"
#include "gui/services/datafolder.h"
#include "gui/services/listview.h"
#include "store/connection.h"
#include "store/dateextras.h"
#include "store/query.h"
#include "store/storelocation.h"
#include "support/modal.h"
#include "support/sandbox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <benchmark/benchmark.h>
#include <cstdio>

#include <array>
#include <memory>

#include <sys/resource.h>

namespace {

cwtest::Sandbox* sandbox = nullptr;
QString programPath;

// Names as a real list has them, so that a find narrows the list step by step ("a" lets most rows
// through, "anna" few); the number keeps every row its own, the apostrophe tests the quoting.
QString personName(int i) {
    static const std::array<const char*, 20> given = {
        "Anna", "Andrew", "Annika", "Anton", "Ben",   "Bianca", "Carl", "Clara", "Daniel", "Dora",
        "Emil", "Eva",    "Frank",  "Greta", "Hanna", "Ivan",   "Jana", "Zoë",   "Lena",   "Marta"};
    static const std::array<const char*, 7> family = {"O'Neill", "Quenby", "Marsh", "Baker",
                                                      "Fischer", "Holt",   "Wright"};
    return QStringLiteral("%1 %2 %3")
        .arg(QString::fromUtf8(given[i % given.size()]),
             QLatin1String(family[i / given.size() % family.size()]))
        .arg(i);
}

// The live store holds exactly `rows` birthdays, a tenth of them with a birth year, none of them due
// on the sandbox's today (December 7), so no alert opens.
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
        connection.execute(cw::statements::editorInsert(personName(i), month, day));
        if (i % 10 == 0)
            cw::writeDateExtras(connection, cw::lastInsertId(connection), {1930 + i % 90, {}, {}});
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
    if (state.range(1) != 0) // the list sorted by name, as its user left it
        form->ListView1->sortBy(cw::personColumn, false);
    for (auto _ : state) {
        form->ListBirthdays(false);
        QCoreApplication::processEvents(); // the view lays out and repaints its visible rows
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.SetComplexityN(rows);
    form->close();
}
BENCHMARK(BM_ListBirthdays)
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// Processes events until the list shows `rows` rows, as the user sees it after a change; false when
// it never does (a find that lets the wrong rows through).
bool settlesAt(const cw::Form1& form, int rows) {
    QCoreApplication::processEvents();
    QElapsedTimer waited;
    waited.start();
    while (form.ListView1->shownCount() != rows) {
        if (waited.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return true;
}

// The list's column header, whatever view the list is.
QHeaderView* listHeader(const cw::Form1& form) {
    for (QHeaderView* header : form.ListView1->findChildren<QHeaderView*>())
        if (header->orientation() == Qt::Horizontal)
            return header;
    return nullptr;
}

int sectionCaptioned(const QHeaderView& header, const QString& caption) {
    for (int section = 0; section < header.count(); ++section)
        if (header.model()->headerData(section, Qt::Horizontal).toString() == caption)
            return section;
    return -1;
}

// A real mouse click in the middle of the header section.
void clickHeader(QHeaderView& header, int section) {
    const QPoint middle(header.sectionViewportPosition(section) + header.sectionSize(section) / 2,
                        header.height() / 2);
    QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, middle);
}

// One iteration types one key into the find field (Ctrl+F opens it, as for the user): a letter that
// narrows the find, or Backspace that widens it again, a → an → ann → anna → ann → an → a → an ...
void BM_FindKeystroke(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    fillStore(rows);
    auto form = startedWindow();
    form->activateWindow();
    QTest::keyClick(form.get(), Qt::Key_F, Qt::ControlModifier);
    QCoreApplication::processEvents();
    if (!form->findField->isVisible() || !form->findField->hasFocus()) {
        state.SkipWithError("Ctrl+F did not open the find field");
        return;
    }
    QTest::keyClick(form->findField, Qt::Key_A);
    struct Step {
        Qt::Key key;
        const char* text;
        int shown = 0; // the rows whose name holds the text, ignoring case
    };
    std::array<Step, 6> steps = {{{Qt::Key_N, "an"},
                                  {Qt::Key_N, "ann"},
                                  {Qt::Key_A, "anna"},
                                  {Qt::Key_Backspace, "ann"},
                                  {Qt::Key_Backspace, "an"},
                                  {Qt::Key_Backspace, "a"}}};
    for (Step& step : steps)
        for (int i = 0; i < rows; ++i)
            step.shown += personName(i).contains(QLatin1String(step.text), Qt::CaseInsensitive);
    std::size_t next = 0;
    for (auto _ : state) {
        const Step& step = steps[next];
        next = (next + 1) % steps.size();
        QTest::keyClick(form->findField, step.key);
        if (!settlesAt(*form, step.shown)) {
            state.SkipWithError("the find showed the wrong rows");
            break;
        }
    }
    form->close();
}
BENCHMARK(BM_FindKeystroke)->Arg(100000)->Unit(benchmark::kMillisecond);

// One iteration clicks the header captioned `caption`, so the order flips between ascending and
// descending each time; then the calendar order comes back, as the other figures expect it. With
// firstClick, every click is the first of a window just started (untimed), which has to work out the
// order from scratch instead of reversing or carrying over the one it has.
void headerSort(benchmark::State& state, const QString& caption, bool firstClick = false) {
    const int rows = static_cast<int>(state.range(0));
    fillStore(rows);
    auto form = startedWindow();
    QHeaderView* header = listHeader(*form);
    const int section = header ? sectionCaptioned(*header, caption) : -1;
    if (section < 0) {
        state.SkipWithError("the list has no such header");
        return;
    }
    clickHeader(*header, section); // untimed: from here on every click reverses the order
    QCoreApplication::processEvents();
    Qt::SortOrder last = header->sortIndicatorOrder();
    for (auto _ : state) {
        if (firstClick) {
            state.PauseTiming();
            clickHeader(*header, sectionCaptioned(*header, QStringLiteral("Month")));
            QCoreApplication::processEvents();
            form->close();
            form = startedWindow();
            header = listHeader(*form);
            last = Qt::DescendingOrder; // the click sorts ascending
            state.ResumeTiming();
        }
        clickHeader(*header, section);
        QCoreApplication::processEvents(); // the view lays out and repaints its visible rows
        if (header->sortIndicatorSection() != section || header->sortIndicatorOrder() == last) {
            state.SkipWithError("the click did not change the order");
            break;
        }
        last = header->sortIndicatorOrder();
    }
    clickHeader(*header, sectionCaptioned(*header, QStringLiteral("Month")));
    QCoreApplication::processEvents();
    form->close();
}
void BM_HeaderSort(benchmark::State& state) {
    headerSort(state, QStringLiteral("Person"));
}
BENCHMARK(BM_HeaderSort)->Arg(100000)->Unit(benchmark::kMillisecond);
void BM_HeaderSortDaysLeft(benchmark::State& state) {
    headerSort(state, QStringLiteral("Day(s) Left"));
}
BENCHMARK(BM_HeaderSortDaysLeft)->Arg(100000)->Unit(benchmark::kMillisecond);
void BM_HeaderSortFirstClick(benchmark::State& state) {
    headerSort(state, QStringLiteral("Person"), true);
}
BENCHMARK(BM_HeaderSortFirstClick)->Arg(100000)->Iterations(5)->Unit(benchmark::kMillisecond);

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

// User and system time of the children ended so far.
double childrenCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// A fresh process of this program: loading Qt and the platform plugin, the window, its load and the
// first filled list, until the process has ended. Also gives the peak memory of that process.
void BM_ProcessStartToFilledList(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    fillStore(rows);
    long peakKb = 0;
    const double cpuBefore = childrenCpuMs();
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
    // The children's own CPU time, which a busy machine inflates far less than the wall clock.
    state.counters["child_cpu_ms"] =
        benchmark::Counter(childrenCpuMs() - cpuBefore, benchmark::Counter::kAvgIterations);
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
