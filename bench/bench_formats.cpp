// Importing a large address book and exporting a large list as a calendar, each beside the text
// format's import or export of the same birthdays as the peer.
#include "benchlist.h"
#include "core/monthnames.h"
#include "gui/services/datafolder.h"
#include "platform/settings.h"
#include "store/birthdaylist.h"
#include "store/connection.h"
#include "support/sandbox.h"
#include "transfer/calendarexport.h"
#include "transfer/formatimport.h"
#include "transfer/modbdays.h"

#include <QApplication>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

cwtest::Sandbox* sandbox = nullptr;
constexpr int contacts = 10000;

// A small JPEG's worth of base64 (about 2 KB), folded at 75 columns as address books write it.
QByteArray photoLines() {
    QByteArray photo(1536, '\0');
    for (qsizetype i = 0; i < photo.size(); ++i)
        photo[i] = static_cast<char>(i * 37 % 251);
    const QByteArray base64 = photo.toBase64();
    QByteArray folded = "PHOTO;ENCODING=b;TYPE=JPEG:";
    for (qsizetype at = 0; at < base64.size(); at += 74)
        folded += (at == 0 ? "" : " ") + base64.mid(at, 74) + "\r\n";
    return folded;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

QString addressBook() {
    const QString path = sandbox->path(QStringLiteral("contacts.vcf"));
    const QByteArray photo = photoLines();
    QByteArray bytes;
    for (int i = 0; i < contacts; ++i)
        bytes += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:O'Name;Person " + QByteArray::number(i) +
                 ";;;\r\nFN:Person O'Name " + QByteArray::number(i) + "\r\nTEL;TYPE=CELL:+1555" +
                 QByteArray::number(100000 + i) + "\r\nEMAIL;TYPE=INTERNET:person" + QByteArray::number(i) +
                 "@mail.example\r\nBDAY:1980-" + QByteArray::number(i % 12 + 101).right(2) + "-" +
                 QByteArray::number(i % 28 + 101).right(2) + "\r\n" + photo + "END:VCARD\r\n";
    writeFile(path, bytes);
    return path;
}

QString textFile() {
    const QString path = sandbox->path(QStringLiteral("contacts.txt"));
    QByteArray bytes;
    for (int i = 0; i < contacts; ++i)
        bytes +=
            QStringLiteral("Person O'Name %1,%2 %3\r\n")
                .arg(QString::number(i), cw::MonthNameFromNumber(i % 12 + 1), QString::number(i % 28 + 1))
                .toUtf8();
    writeFile(path, bytes);
    return path;
}

void emptyStore() {
    cw::sharedConnection().execute(QStringLiteral("delete from tblBirthday"));
}

void BM_ImportVCard(benchmark::State& state) {
    const QString path = addressBook();
    state.counters["file MB"] = static_cast<double>(QFile(path).size()) / 1e6;
    for (auto _ : state) {
        state.PauseTiming();
        emptyStore();
        state.ResumeTiming();
        cw::importFormattedFile(path, cw::FileFormat::VCard, [](qint64, qint64) { return true; });
    }
    state.SetItemsProcessed(state.iterations() * contacts);
}
BENCHMARK(BM_ImportVCard)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportTextPeer(benchmark::State& state) {
    const QString path = textFile();
    for (auto _ : state) {
        state.PauseTiming();
        emptyStore();
        state.ResumeTiming();
        cw::ImportBirthdays(path);
    }
    state.SetItemsProcessed(state.iterations() * contacts);
}
BENCHMARK(BM_ImportTextPeer)->Unit(benchmark::kMillisecond)->UseRealTime();

// The argument is how many reminder options are ticked: 1 (the default) or all 5.
void BM_ExportCalendar(benchmark::State& state) {
    const int rows = 100000;
    const cw::SettingKey options[] = {cw::SettingKey::Check1, cw::SettingKey::Check2, cw::SettingKey::Check4,
                                      cw::SettingKey::Check5, cw::SettingKey::Check6};
    for (int i = 0; i < 5; ++i)
        cw::writeSetting(options[i], cw::checkBoxText(i < state.range(0) ? 1 : 0));
    const cw::BirthdayList list = benchlist::make(rows);
    const QString path = sandbox->path(QStringLiteral("out.ics"));
    for (auto _ : state)
        cw::ExportCalendar(path, list, {0});
    state.counters["file MB"] = static_cast<double>(QFile(path).size()) / 1e6;
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_ExportCalendar)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportTextPeer(benchmark::State& state) {
    const int rows = 100000;
    const cw::BirthdayList list = benchlist::make(rows);
    const QString path = sandbox->path(QStringLiteral("out.txt"));
    for (auto _ : state)
        cw::ExportBirthdays(path, list);
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_ExportTextPeer)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);                      // the birthday list is a widget
    qputenv("CANDLEWISE_PROGRAM_DIR", CW_PROGRAM_DIR); // the seed store of this build
    cwtest::Sandbox box;
    sandbox = &box;
    box.openStore();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cw::sharedConnection().Close();
    return 0;
}
