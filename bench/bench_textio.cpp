// Importing a large birthday text file into the store and exporting a large birthday list.
#include "benchlist.h"
#include "core/monthnames.h"
#include "gui/services/datafolder.h"
#include "store/birthdaylist.h"
#include "store/connection.h"
#include "store/storelocation.h"
#include "transfer/modbdays.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

QTemporaryDir* workDir = nullptr;

QString workFile(const QString& name) {
    return workDir->filePath(name);
}

// A live store with the empty birthday table, and the shared connection opened on it.
void openEmptyStore() {
    QDir().mkpath(workFile(QStringLiteral("common")));
    qputenv("CANDLEWISE_COMMON_APPDATA", workFile(QStringLiteral("common")).toUtf8());
    cw::prepareMakerFolder();
    cw::prepareDataFolder();
    sqlite3* db = nullptr;
    sqlite3_open(cw::liveStoreFile().toUtf8().constData(), &db);
    sqlite3_exec(db,
                 "create table if not exists tblBirthday (id INTEGER PRIMARY KEY AUTOINCREMENT, Person TEXT, "
                 "BirthMonth SMALLINT, BirthDay SMALLINT)",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    cw::openSharedConnection();
}

QString textFileWithLines(int lines) {
    const QString path = workFile(QStringLiteral("in-%1.txt").arg(lines));
    if (QFile::exists(path))
        return path;
    QByteArray bytes;
    for (int i = 0; i < lines; ++i) {
        bytes +=
            QStringLiteral("Person O'Name %1,%2 %3\r\n")
                .arg(QString::number(i), cw::MonthNameFromNumber(i % 12 + 1), QString::number(i % 28 + 1))
                .toUtf8();
    }
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

void BM_Import(benchmark::State& state) {
    const int lines = static_cast<int>(state.range(0));
    const QString path = textFileWithLines(lines);
    openEmptyStore();
    for (auto _ : state) {
        state.PauseTiming();
        cw::sharedConnection().execute(QStringLiteral("delete from tblBirthday"));
        state.ResumeTiming();
        cw::ImportBirthdays(path);
    }
    cw::sharedConnection().Close();
    state.SetItemsProcessed(state.iterations() * lines);
}
BENCHMARK(BM_Import)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Export(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    const cw::BirthdayList list = benchlist::make(rows);
    const QString path = workFile(QStringLiteral("out-%1.txt").arg(rows));
    for (auto _ : state)
        cw::ExportBirthdays(path, list);
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_Export)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // the birthday list is a widget
    QTemporaryDir dir;
    workDir = &dir;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
