// The days-left rule over many (month, day) pairs, and reading the list query over a large store.
#include "core/daysleft.h"
#include "core/statements.h"
#include "store/birthdaylist.h"
#include "store/connection.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

void BM_DaysLeft(benchmark::State& state) {
    const QDate today(2026, 12, 7);
    for (auto _ : state) {
        long long total = 0;
        for (int i = 0; i < 1000000; ++i)
            total += cw::daysLeft(i % 12 + 1, i % 31 + 1, today).days;
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_DaysLeft)->Unit(benchmark::kMillisecond);

// A store file with the given number of rows, built once per size.
QString storeWithRows(const QTemporaryDir& dir, int rows) {
    const QString path = dir.filePath(QStringLiteral("bench-%1.mdb").arg(rows));
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db,
                 "create table tblBirthday (id INTEGER PRIMARY KEY AUTOINCREMENT, Person TEXT, "
                 "BirthMonth SMALLINT, BirthDay SMALLINT); begin;",
                 nullptr, nullptr, nullptr);
    for (int i = 0; i < rows; ++i) {
        const QByteArray sql =
            cw::statements::editorInsert(QStringLiteral("Person %1").arg(i), i % 12 + 1, i % 28 + 1).toUtf8();
        sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr);
    }
    sqlite3_exec(db, "commit", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

void BM_ListQueryRead(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = storeWithRows(dir, static_cast<int>(state.range(0)));
    cw::Connection connection;
    connection.open(QStringLiteral("Data Source= ") + path);
    for (auto _ : state) {
        const cw::BirthdayList list = cw::BirthdayList::read(connection);
        benchmark::DoNotOptimize(list.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListQueryRead)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace
