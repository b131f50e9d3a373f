// The vCard and iCalendar readers and the calendar writer, on sample files in the shapes real exports
// have and on broken input.
#include "core/daysleft.h"
#include "formats/icalendarformat.h"
#include "formats/vcardreader.h"
#include "store/birthdaylist.h"
#include "store/sharedconnection.h"
#include "support/datespellings.h"
#include "support/files.h"
#include "support/folders.h"
#include "transfer/formatimport.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTest>

using namespace cw;
using cwtest::readBytes;
using cwtest::writeBytes;

namespace {
// Each entry as "Name|month|day", or "-" for an entry without a readable birthday.
QStringList entryTexts(const std::vector<ReadEntry>& entries) {
    QStringList texts;
    for (const ReadEntry& entry : entries)
        texts << (entry ? QStringLiteral("%1|%2|%3").arg(entry->name).arg(entry->month).arg(entry->day)
                        : QStringLiteral("-"));
    return texts;
}

QByteArray sample(const char* name) {
    return readBytes(QStringLiteral(CW_SAMPLES_DIR "/") + QLatin1String(name));
}

QByteArray calendarOf(const CalendarExport& calendar) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeICalendar(buffer, calendar);
    return buffer.data();
}

QByteArray utf16(QStringConverter::Encoding encoding, const char* text) {
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(QString::fromUtf8(text));
}

const char birthdayCalendar[] =
    "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART;VALUE=DATE:20000412\r\n"
    "RRULE:FREQ=YEARLY\r\nSUMMARY:Ren\xC3\xA9\r\n e\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";

const QString specialNames[] = {QStringLiteral("Smith, John; \"Jr.\" \\ <b>bold</b>"),
                                QStringLiteral("Ayşe Öztürk 李小龍 Ἀθηνᾶ"), QStringLiteral("Leap Day")};
} // namespace

class TestFormats : public QObject {
    Q_OBJECT
  private slots:
    void readsSampleFiles_data();
    void readsSampleFiles();
    void badInputSpoilsOnlyItsCard_data();
    void badInputSpoilsOnlyItsCard();
    void formatIsToldByTheContent_data();
    void formatIsToldByTheContent();
    void readsCalendarInput_data();
    void readsCalendarInput();
    void calendarRoundTrip();
    void calendarEventsFallOnTheAnnouncedDays();
    void calendarAlarmsFollowTheReminderOptions();
    void dateSpellingsImport();
    void calendarYearsAndKinds();
};

void TestFormats::readsSampleFiles_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("vCard 2.1") << QByteArray("phone-2.1.vcf")
                               << QStringList{
                                      "Ayşe Öztürk|7|14",
                                      "Jörg Müller-Lüdenscheidt with a name long enough to break|2|29", "-"};
    QTest::newRow("vCard 3.0") << QByteArray("desktop-3.0.vcf")
                               << QStringList{"Nim Quenby|10|18", "Marrowfen Bakery|5|9",
                                              "John Smith, Jr.|3|22", "Dara Vell|4|12", "-"};
    QTest::newRow("vCard 4.0") << QByteArray("contacts-4.0.vcf")
                               << QStringList{"Ellis \"Tiny\" O'Rourke|3|22", "-", "李小龍|11|27",
                                              "Wren <b>Halloway</b> \\ co; ltd|3|22"};
    QTest::newRow("iCalendar") << QByteArray("calendar.ics")
                               << QStringList{"Dara Vell|4|12", "-", "-", "-", "Leap, the Frog|2|29"};
}

void TestFormats::readsSampleFiles() {
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    const QByteArray bytes = sample(file.constData());
    QCOMPARE(entryTexts(file.endsWith(".ics") ? readICalendar(bytes) : readVCards(bytes)), expected);
}

void TestFormats::badInputSpoilsOnlyItsCard_data() {
    QTest::addColumn<QByteArray>("vcard");
    QTest::addColumn<QStringList>("expected");
    const QByteArray good = "BEGIN:VCARD\r\nFN:Good\r\nBDAY:--0501\r\nEND:VCARD\r\n";
    QTest::newRow("no END:VCARD") << "BEGIN:VCARD\r\nFN:Cut\r\nBDAY:--0301\r\n" + good
                                  << QStringList{"-", "Good|5|1"};
    QTest::newRow("end of file inside a card")
        << good + "BEGIN:VCARD\r\nFN:Cut\r\nBDAY:--0301" << QStringList{"Good|5|1", "-"};
    QTest::newRow("February 30") << "BEGIN:VCARD\r\nFN:A\r\nBDAY:2001-02-30\r\nEND:VCARD\r\n" + good
                                 << QStringList{"-", "Good|5|1"};
    QTest::newRow("month 13") << QByteArray("BEGIN:VCARD\r\nFN:A\r\nBDAY:--1301\r\nEND:VCARD\r\n")
                              << QStringList{"-"};
    QTest::newRow("no name") << QByteArray("BEGIN:VCARD\r\nN:;;;;\r\nBDAY:--0301\r\nEND:VCARD\r\n")
                             << QStringList{"-"};
    static const char withNul[] = "BEGIN:VCARD\r\nFN:A\0B\r\nBDAY:--0301\r\nEND:VCARD\r\n";
    QTest::newRow("NUL bytes") << QByteArray(withNul, sizeof withNul - 1) << QStringList{"A B|3|1"};
    QTest::newRow("invalid UTF-8") << QByteArray("BEGIN:VCARD\r\nFN:J\xF6rg\r\nBDAY:--0301\r\nEND:VCARD\r\n")
                                   << QStringList{"Jörg|3|1"};
    QTest::newRow("byte-order mark, LF") << QByteArray("\xEF\xBB\xBF"
                                                       "begin:vcard\nfn:A\nbday:--0301\nend:vcard\n")
                                         << QStringList{"A|3|1"};
    QTest::newRow("long name") << "BEGIN:VCARD\r\nFN:" + QByteArray(10000, 'x') +
                                      "\r\nBDAY:--0301\r\nEND:VCARD\r\n"
                               << QStringList{QString(10000, QLatin1Char('x')) + "|3|1"};
    QTest::newRow("photo on one long line")
        << "BEGIN:VCARD\r\nFN:A\r\nPHOTO;ENCODING=b:" + QByteArray(5 << 20, 'A') +
               "\r\nBDAY:--0301\r\nEND:VCARD\r\n"
        << QStringList{"A|3|1"};
    QTest::newRow("CR line ends") << QByteArray("BEGIN:VCARD\rFN:A\rBDAY:--0301\rEND:VCARD\r")
                                  << QStringList{"A|3|1"};
    const char* const zoe = "BEGIN:VCARD\r\nFN:Zo\xC3\xAB\r\nBDAY:--0301\r\nEND:VCARD\r\n";
    QTest::newRow("UTF-16LE") << utf16(QStringConverter::Utf16LE, zoe) << QStringList{"Zoë|3|1"};
    QTest::newRow("UTF-16BE") << utf16(QStringConverter::Utf16BE, zoe) << QStringList{"Zoë|3|1"};
    QTest::newRow("2.1 agent card inside")
        << "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Boss\r\nAGENT:\r\nBEGIN:VCARD\r\n"
           "FN:Aide\r\nBDAY:--0505\r\nEND:VCARD\r\nBDAY:--0412\r\nEND:VCARD\r\n" +
               good
        << QStringList{"Boss|4|12", "Good|5|1"};
    QTest::newRow("first BDAY that reads")
        << QByteArray("BEGIN:VCARD\r\nFN:A\r\nBDAY:unknown\r\nBDAY:--0301\r\n"
                      "BDAY:--0405\r\nBDAY:unknown\r\nEND:VCARD\r\n")
        << QStringList{"A|3|1"};
    QTest::newRow("folded property name")
        << QByteArray("BEGIN:VCARD\r\nFN:A\r\nBD\r\n AY:19800412\r\nEND:VCARD\r\n") << QStringList{"A|4|12"};
    QTest::newRow("empty") << QByteArray() << QStringList{};
    QTest::newRow("neither format") << QByteArray("Arvel Quenby,April 13\r\n") << QStringList{};
}

void TestFormats::badInputSpoilsOnlyItsCard() {
    QFETCH(QByteArray, vcard);
    QFETCH(QStringList, expected);
    QCOMPARE(entryTexts(readVCards(vcard)), expected);
}

void TestFormats::formatIsToldByTheContent_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<FileFormat>("format");
    QTest::newRow("vCard, CR line ends")
        << QByteArray("\rBEGIN:VCARD\rFN:A\rEND:VCARD\r") << FileFormat::VCard;
    QTest::newRow("vCard, UTF-16LE") << utf16(QStringConverter::Utf16LE, "BEGIN:VCARD\r\n")
                                     << FileFormat::VCard;
    QTest::newRow("calendar, UTF-16BE")
        << utf16(QStringConverter::Utf16BE, birthdayCalendar) << FileFormat::ICalendar;
    QTest::newRow("text") << QByteArray("BEGIN:VCARD,April 13\r\n") << FileFormat::Text;
}

void TestFormats::formatIsToldByTheContent() {
    QFETCH(QByteArray, bytes);
    QFETCH(FileFormat, format);
    cwtest::Folders folders;
    writeBytes(folders.path("in"), bytes);
    QCOMPARE(fileFormatOf(folders.path("in")), format);
}

// However a calendar's bytes come, the event reads the same.
void TestFormats::readsCalendarInput_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray calendar(birthdayCalendar);
    QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + calendar;
    QTest::newRow("windows-1252") << QByteArray(calendar).replace("\xC3\xA9", "\xE9");
    QTest::newRow("UTF-16LE") << utf16(QStringConverter::Utf16LE, birthdayCalendar);
    QTest::newRow("alarm and time zone") << QByteArray(calendar).replace(
        "DTSTART;VALUE=DATE:20000412",
        "BEGIN:VALARM\r\nSUMMARY:Not this\r\nDTSTART:20000101\r\nEND:VALARM\r\n"
        "DTSTART;TZID=Europe/Berlin:20000412T090000");
}

void TestFormats::readsCalendarInput() {
    QFETCH(QByteArray, bytes);
    QCOMPARE(entryTexts(readICalendar(bytes)), QStringList{"Renée|4|12"});
}

void TestFormats::calendarRoundTrip() {
    CalendarExport calendar{{}, {0, 3}, QDateTime(QDate(2026, 12, 7), QTime(10, 0), Qt::UTC)};
    calendar.birthdays = {{specialNames[0], 4, 13}, {specialNames[1], 12, 31}, {specialNames[2], 2, 29}};
    const QByteArray written = calendarOf(calendar);
    QCOMPARE(entryTexts(readICalendar(written)),
             (QStringList{specialNames[0] + "|4|13", specialNames[1] + "|12|31", specialNames[2] + "|2|29"}));
    // Exported again later, the same birthdays keep their UIDs.
    calendar.stamp = calendar.stamp.addDays(30);
    static const QRegularExpression uid(QStringLiteral("UID:[^\r]*"));
    const auto uids = [](const QByteArray& text) {
        QStringList found;
        for (const auto& match : uid.globalMatch(QString::fromUtf8(text)))
            found << match.captured();
        return found;
    };
    QCOMPARE(uids(calendarOf(calendar)), uids(written));
    QCOMPARE(uids(written).size(), 3);
    QCOMPARE(uids(written).removeDuplicates(), 0);
}

void TestFormats::calendarEventsFallOnTheAnnouncedDays() {
    // February 29 falls on March 1 in common years, as the days-left rule counts it.
    const QByteArray text = calendarOf({{{specialNames[2], 2, 29}, {"Plain", 4, 13}}, {}, QDateTime()});
    QVERIFY2(
        text.contains(
            "DTSTART;VALUE=DATE:20000229\r\nDTEND;VALUE=DATE:20000301\r\nRRULE:FREQ=YEARLY;BYYEARDAY=60\r\n"),
        text.constData());
    QVERIFY2(
        text.contains("DTSTART;VALUE=DATE:20000413\r\nDTEND;VALUE=DATE:20000414\r\nRRULE:FREQ=YEARLY\r\n"),
        text.constData());
}

void TestFormats::calendarAlarmsFollowTheReminderOptions() {
    const QByteArray text = calendarOf({{{"Arvel Quenby", 4, 13}}, {0, 3, 30}, QDateTime()});
    for (const char* line :
         {"PRODID:-//Marrowfen//Candlewise Software//EN\r\n", "X-WR-CALNAME:Birthdays\r\n",
          "SUMMARY:Arvel Quenby's birthday\r\n", "CATEGORIES:BIRTHDAY\r\n", "TRANSP:TRANSPARENT\r\n"})
        QVERIFY2(text.count(line) == 1, line);
    QCOMPARE(text.count("BEGIN:VALARM\r\nACTION:DISPLAY\r\n"), 3);
    for (const char* alarm : {"TRIGGER:PT9H\r\nDESCRIPTION:Arvel Quenby's birthday is today.\r\n",
                              "TRIGGER:-P2DT15H\r\nDESCRIPTION:Arvel Quenby's birthday is in 3 days.\r\n",
                              "TRIGGER:-P29DT15H\r\nDESCRIPTION:Arvel Quenby's birthday is in 30 days.\r\n"})
        QVERIFY2(text.contains(alarm), alarm);
}

// Every spelling of the table imported into a real store: the days each gives, and how many are skipped.
void TestFormats::dateSpellingsImport() {
    const std::vector<cwtest::DateSpelling> spellings = cwtest::dateSpellings();
    QByteArray cards;
    int skipped = 0;
    for (size_t i = 0; i < spellings.size(); ++i) {
        cards += cwtest::spellingCard(spellings[i], i);
        skipped += int(spellings[i].expected.count("skipped"));
    }
    cwtest::Folders folders;
    folders.openBlankStore();
    writeBytes(folders.path("cards.vcf"), cards);
    const auto all = [](qint64, qint64) { return true; };
    QCOMPARE(importFormattedFile(folders.path("cards.vcf"), FileFormat::VCard, all)->skipped, skipped);
    const QHash<QString, QString> stored = cwtest::entriesByName(BirthdayList::read(sharedConnection()));
    for (size_t i = 0; i < spellings.size(); ++i) {
        const QString read = stored.value(QStringLiteral("Spelling %1").arg(i));
        if (qEnvironmentVariable("CANDLEWISE_PRINT_SPELLINGS") == "1")
            qInfo().noquote() << spellings[i].version << spellings[i].lines.split('\n').join(" \\n ") << "->"
                              << (read.isEmpty() ? "skipped" : read);
        QCOMPARE(read, cwtest::storedOf(spellings[i]));
    }
}

// The year of a yearly event (after "SUMMARY:Ann" unless it names itself), and the export of years and kinds.
void TestFormats::calendarYearsAndKinds() {
    const std::pair<const char*, const char*> events[] = {
        {"DTSTART;VALUE=DATE:19840503", "1984-05-03 birthday"},
        {"DTSTART:16040503", "--05-03 birthday"},
        {"DTSTART:19000503", "--05-03 birthday"},
        {"DTSTART:19700503", "--05-03 birthday"},
        {"DTSTART:19720503", "--05-03 birthday"},
        {"DTSTART:17990503", "--05-03 birthday"},
        {"DTSTART:29990503", "--05-03 birthday"},
        {"DTSTART:19700503\r\nX-NEXTCLOUD-BC-YEAR:1970", "1970-05-03 birthday"},
        {"X-NEXTCLOUD-BC-YEAR:1984\r\nDTSTART:16040503", "1984-05-03 birthday"},
        {"DTSTART:20000503\r\nUID:1@birthdays.marrowfen.example",
         "--05-03 birthday"}, // an older export of ours
        {"DTSTART:19900605\r\nSUMMARY:Ann\u2019s Anniversary", "1990-06-05 anniversary"}};
    for (const auto& [lines, entry] : events) {
        const QByteArray event =
            QByteArray(lines).contains("SUMMARY") ? QByteArray(lines) : "SUMMARY:Ann\r\n" + QByteArray(lines);
        const std::vector<ReadEntry> read =
            readICalendar("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n" + event +
                          "\r\nRRULE:FREQ=YEARLY\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
        QCOMPARE(read.size() == 1 ? read[0]->name + " " + cwtest::entryText(read[0]) : QString(),
                 "Ann " + QString(entry));
    }
    CalendarExport calendar{{}, {0}, QDateTime()};
    // clang-format off
    calendar.birthdays = {{"Born", 5, 3, 1984}, {"Wed", 6, 5, 1990, DateKind::Anniversary}, {"Leap", 2, 29, 1984},
                          {"Odd", 2, 29, 1985}, {"Plain", 6, 5}};
    // clang-format on
    setLeapDayRule(LeapDayRule::February28);
    const QByteArray text = calendarOf(calendar);
    setLeapDayRule(LeapDayRule::March1);
    QStringList read;
    for (const ReadEntry& entry : readICalendar(text))
        read << entry->name + " " + cwtest::entryText(entry);
    QCOMPARE(read,
             (QStringList{"Born 1984-05-03 birthday", "Wed 1990-06-05 anniversary",
                          "Leap 1984-02-29 birthday", "Odd --02-29 birthday", "Plain --06-05 birthday"}));
    for (const char* line :
         {"DTSTART;VALUE=DATE:19840503\r\nDTEND;VALUE=DATE:19840504\r\nRRULE:FREQ=YEARLY\r\nX-NEXTCLOUD-BC-"
          "YEAR:1984\r\n",
          "SUMMARY:Wed's anniversary\r\n", "DESCRIPTION:Wed's anniversary is today.\r\n",
          "DTSTART;VALUE=DATE:19840229\r\nDTEND;VALUE=DATE:19840301\r\nRRULE:FREQ=YEARLY;BYYEARDAY=-307\r\n"})
        QVERIFY2(text.contains(line), line);
}

QTEST_GUILESS_MAIN(TestFormats)
#include "test_formats.moc"
