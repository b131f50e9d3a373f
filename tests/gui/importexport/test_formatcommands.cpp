// The import and export buttons' commands with vCard and iCalendar files, through the scripted
// dialogs and messages.
#include "gui/importexport/importexportcommands.h"
#include "gui/services/errorreport.h"
#include "store/birthdaylist.h"
#include "support/sandbox.h"
#include "textiofixture.h"
#include "transfer/formatimport.h"

#include <QTest>
#include <QWidget>

using namespace cw;
using namespace textiotest;

namespace {
// Picks the file in the open dialog and imports it; gives the messages shown.
QStringList importPicked(cwtest::Sandbox& sandbox, const QString& path) {
    sandbox.messages->shown.clear();
    sandbox.fileDialogs->answers.push_back(path);
    QWidget window;
    importCommand(&window, [] {});
    return sandbox.messages->texts();
}

QString sampleFile(const char* name) {
    return QStringLiteral(CW_SAMPLES_DIR "/") + QLatin1String(name);
}
} // namespace

class TestFormatCommands : public QObject {
    Q_OBJECT
  private slots:
    void addressBookImportsOnce();
    void cancelledImportStoresNothing();
    void unreadableCalendarIsReported();
    void calendarExportReadsBackTheSame();
};

void TestFormatCommands::addressBookImportsOnce() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    writeBytes(sandbox.path("known.txt"), "Nim Quenby,October 18\r\n");
    QCOMPARE(importPicked(sandbox, sandbox.path("known.txt")), QStringList{"Done."});

    QCOMPARE(importPicked(sandbox, sampleFile("desktop-3.0.vcf")),
             QStringList{"Birthdays added: 5\r\nEntries without a birthday or a readable date: 0\r\n"
                         "Already in the list: 1"});
    QCOMPARE(importPicked(sandbox, sampleFile("desktop-3.0.vcf")),
             QStringList{"Birthdays added: 0\r\nEntries without a birthday or a readable date: 0\r\n"
                         "Already in the list: 6"});
    QCOMPARE(storedBirthdays(), (QStringList{"Dara Vell|4|12", "John Smith, Jr.|3|22", "Marrowfen Bakery|5|9",
                                             "Nim Quenby|10|18", "Nim Quenby|6|1", "No Birthday|1|1"}));
}

void TestFormatCommands::cancelledImportStoresNothing() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    int asked = 0;
    QVERIFY(!importFormattedFile(sampleFile("desktop-3.0.vcf"), FileFormat::VCard,
                                 [&](qint64, qint64) { return ++asked < 3; }));
    QCOMPARE(asked, 3);
    QVERIFY(storedBirthdays().isEmpty());
}

void TestFormatCommands::unreadableCalendarIsReported() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    writeBytes(sandbox.path("cut.ics"),
               "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nSUMMARY:Cut\r\nRRULE:FREQ=YEARLY\r\n"
               "DTSTART;VALUE=DATE:20000101\r\nEND:VEVENT\r\n");
    const QStringList shown = importPicked(sandbox, sandbox.path("cut.ics"));
    QCOMPARE(shown.size(), 2);
    QVERIFY2(shown[0].contains(locationText(Location::Form1_PushButton8_Click)), qPrintable(shown[0]));
    QCOMPARE(shown[1], QStringLiteral("Done."));
    QVERIFY(storedBirthdays().isEmpty());
}

void TestFormatCommands::calendarExportReadsBackTheSame() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    BirthdayList list;
    fillList(list, {{"Smith, John; \"Jr.\" \\ <b>x</b>", "2", "29"}, {"李小龍", "11", "27"}});
    const QString path = sandbox.path("birthdays.ics");
    sandbox.fileDialogs->answers.push_back(path);
    QWidget window;
    exportCommand(&window, list, {3, 30});
    QCOMPARE(sandbox.messages->texts(), QStringList{"Done."});
    const QByteArray calendar = readBytes(path);
    QCOMPARE(calendar.count("BEGIN:VEVENT"), 2);
    QCOMPARE(calendar.count("BEGIN:VALARM"), 4); // 3 and 30 days before, for each

    importPicked(sandbox, path);
    QCOMPARE(storedBirthdays(), listBirthdays(list));
}

QTEST_MAIN(TestFormatCommands)
#include "test_formatcommands.moc"
