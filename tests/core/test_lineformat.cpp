// The month-name tables and the reading of one birthday line.
#include "core/apperror.h"
#include "core/monthnames.h"
#include "formats/birthdayline.h"
#include "store/birthdaylist.h"
#include "store/sharedconnection.h"
#include "support/files.h"
#include "support/folders.h"
#include "transfer/modbdays.h"

#include <QTest>

using namespace cw;

class TestLineFormat : public QObject {
    Q_OBJECT
  private slots:
    void monthNumbers_data();
    void monthNumbers();
    void monthNamesRoundTrip();
    void acceptedLines_data();
    void acceptedLines();
    void rejectedLines_data();
    void rejectedLines();
    void longLineIsShortenedInTheMessage();
    void yearsAndAnniversariesRoundTrip();
};

void TestLineFormat::monthNumbers_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("number");
    QTest::newRow("lower") << "april" << 4;
    QTest::newRow("capitals") << "APRIL" << 4;
    QTest::newRow("mixed") << "sEpTeMbEr" << 9;
    QTest::newRow("first") << "January" << 1;
    QTest::newRow("last") << "December" << 12;
    QTest::newRow("abbreviation") << "Apr" << 0;
    QTest::newRow("blank before") << " April" << 0;
    QTest::newRow("blank after") << "April " << 0;
    QTest::newRow("longer") << "Aprils" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("french") << "avril" << 0;
    QTest::newRow("german") << QString::fromUtf8("März") << 0;
    QTest::newRow("full-width letters") << QString::fromUtf8("Ｍａｙ") << 0;
    QTest::newRow("kelvin sign is no k") << QString::fromUtf8("Ma\u212Ay") << 0;
    QTest::newRow("number") << "4" << 0;
}

void TestLineFormat::monthNumbers() {
    QFETCH(QString, word);
    QFETCH(int, number);
    QCOMPARE(MonthNumberFromName(word), number);
}

void TestLineFormat::monthNamesRoundTrip() {
    QStringList names;
    for (int number = 1; number <= 12; ++number) {
        const QString name = MonthNameFromNumber(number);
        QVERIFY(!name.isEmpty());
        QVERIFY2(name.at(0).isUpper() && name.mid(1) == name.mid(1).toLower(), qPrintable(name));
        QCOMPARE(MonthNumberFromName(name), number);
        names << name;
    }
    QCOMPARE(names.first(), QStringLiteral("January"));
    QCOMPARE(names.last(), QStringLiteral("December"));
    for (const int outside : {0, 13, 255, -1, 256})
        QVERIFY2(MonthNameFromNumber(outside).isEmpty(), qPrintable(QString::number(outside)));
}

void TestLineFormat::acceptedLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::newRow("plain") << "Arvel Quenby,April 13"
                           << "Arvel Quenby" << 4 << 13;
    QTest::newRow("blanks and capitals") << "  Arvel Quenby  ,APRIL 13"
                                         << "Arvel Quenby" << 4 << 13;
    QTest::newRow("apostrophe") << "O'Neil,May 2"
                                << "O'Neil" << 5 << 2;
    QTest::newRow("leap day") << "Leap,February 29"
                              << "Leap" << 2 << 29;
    QTest::newRow("last of december") << "Eve,december 31"
                                      << "Eve" << 12 << 31;
    QTest::newRow("signed day") << "Plus,March +7"
                                << "Plus" << 3 << 7;
    QTest::newRow("leading zeros") << "Zero,March 007"
                                   << "Zero" << 3 << 7;
    QTest::newRow("trailing blank") << "Tail,June 1 "
                                    << "Tail" << 6 << 1;
    QTest::newRow("words after the day") << "More,July 4 was the day"
                                         << "More" << 7 << 4;
    QTest::newRow("pieces after a second comma") << "Rest,July 4,ignored"
                                                 << "Rest" << 7 << 4;
    QTest::newRow("a date after the first comma wins") << "Arvel,June 1,April 13"
                                                       << "Arvel" << 6 << 1;
    QTest::newRow("comma in the name") << "Quenby, Arvel,April 13"
                                       << "Quenby, Arvel" << 4 << 13;
    QTest::newRow("commas in the name") << " Quenby,Arvel, Jr. ,May 2 "
                                        << "Quenby,Arvel, Jr." << 5 << 2;
    QTest::newRow("empty name") << ",July 4"
                                << "" << 7 << 4;
    QTest::newRow("tab kept in the name") << "\tTab ,July 4"
                                          << "\tTab" << 7 << 4;
    QTest::newRow("non-latin name") << QString::fromUtf8("Zoë 张伟,August 8") << QString::fromUtf8("Zoë 张伟")
                                    << 8 << 8;
}

void TestLineFormat::acceptedLines() {
    QFETCH(QString, line);
    QFETCH(QString, name);
    QFETCH(int, month);
    QFETCH(int, day);
    BirthdayLine birthday;
    QVERIFY_THROWS_NO_EXCEPTION(birthday = parseBirthdayLine(line, 1));
    QCOMPARE(birthday.name, name);
    QCOMPARE(birthday.month, month);
    QCOMPARE(birthday.day, day);
}

void TestLineFormat::rejectedLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("lineNumber");
    QTest::addColumn<QString>("shownLine"); // the line as the message quotes it
    const auto plain = [](const char* tag, const QString& line, int number) {
        QTest::newRow(tag) << line << number << line;
    };
    plain("empty line", "", 1);
    plain("no comma", "Arvel Quenby April 13", 2);
    plain("blank after the comma", "Arvel Quenby, April 13", 3);
    plain("nothing after the comma", "Arvel Quenby,", 4);
    plain("no day", "Arvel Quenby,April", 5);
    plain("two blanks before the day", "Arvel Quenby,April  13", 6);
    plain("unknown month", "Arvel Quenby,Avril 13", 7);
    plain("abbreviated month", "Arvel Quenby,Apr 13", 8);
    plain("april 31", "Arvel Quenby,April 31", 9);
    plain("february 30", "Arvel Quenby,February 30", 10);
    plain("day 0", "Arvel Quenby,May 0", 11);
    plain("negative day", "Arvel Quenby,May -1", 12);
    plain("words for the day", "Arvel Quenby,May thirteen", 13);
    plain("decimal day", "Arvel Quenby,May 13.0", 14);
    plain("exponent day", "Arvel Quenby,May 1e1", 15);
    plain("sign only", "Arvel Quenby,May +", 16);
    plain("beyond 16 bits", "Arvel Quenby,May 65549", 17);
    plain("comma in the name, no date after the last", "Quenby, Arvel,Avril 13", 17);
    plain("far beyond", "Arvel Quenby,May 99999999999999999999", 18);
    QTest::newRow("tab before the day") << "Arvel Quenby,May\t13" << 19 << "Arvel Quenby,May\\x0913";
    QTest::newRow("NUL in the name") << QStringLiteral("Arvel") + QChar(u'\0') + QStringLiteral(",May 13")
                                     << 20 << "Arvel\\x00,May 13";
    QTest::newRow("NUL after the day")
        << QStringLiteral("Arvel,May 13") + QChar(u'\0') << 21 << "Arvel,May 13\\x00";
    QTest::newRow("number 100000") << "Arvel Quenby,June 31" << 100000 << "Arvel Quenby,June 31";
}

void TestLineFormat::rejectedLines() {
    QFETCH(QString, line);
    QFETCH(int, lineNumber);
    QFETCH(QString, shownLine);
    try {
        parseBirthdayLine(line, lineNumber);
        QFAIL("the line was accepted");
    } catch (const AppError& error) {
        const QString description = error.description();
        QVERIFY2(description.startsWith(QStringLiteral("Line %1 ").arg(lineNumber)), qPrintable(description));
        QVERIFY2(description.contains(QLatin1Char('"') + shownLine + QLatin1Char('"')),
                 qPrintable(description));
        QVERIFY2(!description.contains(QChar(u'\0')), "a NUL would cut the message box text");
    }
}

void TestLineFormat::longLineIsShortenedInTheMessage() {
    const QString line = QString(5000, QLatin1Char('x')); // no comma
    try {
        parseBirthdayLine(line, 4);
        QFAIL("the line was accepted");
    } catch (const AppError& error) {
        QVERIFY2(error.description().size() < 400, qPrintable(error.description()));
        QVERIFY(error.description().contains(QStringLiteral("\"xxxxxxxxxx")));
    }
}

// Imported and exported again: a year and "anniversary" come back, a line without them as it was; other
// words, a year that cannot be and one in which the day does not exist go.
void TestLineFormat::yearsAndAnniversariesRoundTrip() {
    cwtest::Folders folders;
    folders.openBlankStore();
    cwtest::writeBytes(
        folders.path("in"),
        "Ann,June 5 1990 anniversary\r\nArv,April 13 1984\r\nAnn,June 5 anniversary\r\n"
        "Old,May 2\r\nOdd,May 2 1799 ANNIVERSARY\r\nLate,May 3 2999 x\r\nLeap,February 29 1985\r\n");
    ImportBirthdays(folders.path("in"));
    ExportBirthdays(folders.path("out"), BirthdayList::read(sharedConnection()));
    QCOMPARE(cwtest::readBytes(folders.path("out")),
             "Leap,February 29\r\nArv,April 13 1984\r\nOld,May 2\r\nOdd,May 2 "
             "anniversary\r\nLate,May 3\r\nAnn,June 5 1990 anniversary\r\nAnn,June 5 anniversary\r\n");
}

QTEST_GUILESS_MAIN(TestLineFormat)
#include "test_lineformat.moc"
