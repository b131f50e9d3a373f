// The command line over a store with known rows and a set clock: what it prints, its exit codes,
// and that it leaves a store it cannot read as it found it.
#include "cli/commandline.h"
#include "core/nodisplay.h"
#include "core/statements.h"
#include "gui/services/datafolder.h"
#include "platform/settings.h"
#include "store/connection.h"
#include "store/dateextras.h"
#include "store/query.h"
#include "store/storelocation.h"
#include "support/sandbox.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <QTextStream>

namespace {

// Dated: the rows, some with a year, and an anniversary; DatedFebruary28 with February 29 birthdays
// on February 28 in common years.
enum class StoreState { Rows, Dated, DatedFebruary28, Missing, NotADatabase };

struct Result {
    int exitCode;
    QString out;
    QString err;
};

Result run(const QStringList& arguments) {
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    // As the program's main hands them on: Qt's options apart.
    const int code = cw::runCommandLine(
        cw::splitArguments(QStringList{QStringLiteral("candlewise")} + arguments).rest, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {code, out, err};
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT
  private slots:
    void output_data();
    void output();
    void needsNoDisplayAndTouchesNothingElse_data();
    void needsNoDisplayAndTouchesNothingElse();
};

void CommandLineTest::output_data() {
    QTest::addColumn<QDate>("today");
    QTest::addColumn<StoreState>("store");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    const auto rows = StoreState::Rows;
    const QDate december7(2026, 12, 7);
    QTest::newRow("default 30 days, soonest first")
        << december7 << rows << QStringList{"--upcoming"} << 0
        << "3\tArvel Quenby\tDecember 10\n24\tEve Eva\tDecember 31\n25\tNew Year Ned\tJanuary 1\n"
           "29\tJan Roll\tJanuary 5\n";
    QTest::newRow("GNU form") << december7 << rows << QStringList{"--upcoming=7"} << 0
                              << "3\tArvel Quenby\tDecember 10\n";
    // Months beyond the calendar, as the window shows them: 13 is January, -1 November.
    QTest::newRow("month 13 early in January")
        << QDate(2027, 1, 2) << rows << QStringList{"--upcoming", "5"} << 0 << "3\tJan Roll\tJanuary 5\n";
    QTest::newRow("today is 0") << QDate(2026, 12, 10) << rows << QStringList{"--upcoming", "0"} << 0
                                << "0\tArvel Quenby\tDecember 10\n";
    QTest::newRow("turn of the year") << QDate(2026, 12, 31) << rows << QStringList{"--upcoming", "1"} << 0
                                      << "0\tEve Eva\tDecember 31\n1\tNew Year Ned\tJanuary 1\n";
    // February 29 counts as March 1 in a common year; equal days go by name, whatever the case; a
    // control character in a name (a tab, a line break, an escape sequence's ESC) becomes a blank.
    QTest::newRow("February 29 in a common year")
        << QDate(2027, 2, 28) << rows << QStringList{"--upcoming", "1"} << 0
        << "1\tbea Bloom\tMarch 1\n1\tLeap Lea\tFebruary 29\n1\tTab Name [2J Break\tMarch 1\n";
    QTest::newRow("next, as the label")
        << QDate(2026, 12, 31) << rows << QStringList{"--next"} << 0 << "Next birthday is in Eve Eva Today\n";
    QTest::newRow("next, days ahead")
        << december7 << rows << QStringList{"--next"} << 0 << "Next birthday is in Arvel Quenby 3 days\n";
    // A year adds the age turned on that day; an anniversary is named as the list names it.
    QTest::newRow("years and an anniversary")
        << december7 << StoreState::Dated << QStringList{"--upcoming", "3"} << 0
        << "2\tWed Ding (anniversary)\tDecember 9\t26\n3\tAda Born\tDecember 10\t40\n3\tArvel "
           "Quenby\tDecember 10\n";
    QTest::newRow("February 29 on February 28")
        << QDate(2027, 2, 27) << StoreState::DatedFebruary28 << QStringList{"--upcoming", "1"} << 0
        << "1\tLeap Lea\tFebruary 29\t27\n";
    QTest::newRow("version") << december7 << rows << QStringList{"--version"} << 0
                             << "candlewise " CANDLEWISE_VERSION "\n";
    for (const QStringList& bad :
         {QStringList{"--upcoming", "-1"}, QStringList{"--upcoming", "400"}, QStringList{"--upcoming", "abc"},
          QStringList{"--bogus"}, QStringList{"--next", "3"}, QStringList{"--upcoming", "3", "4"},
          QStringList{"--upcoming", "--next"}, QStringList{"7"}})
        QTest::newRow(qPrintable(bad.join(' '))) << december7 << rows << bad << 2 << QString();
    // Before the window's first start: an empty answer.
    for (const char* option : {"--next", "--upcoming"})
        QTest::newRow(option) << december7 << StoreState::Missing << QStringList{option} << 0 << QString();
    QTest::newRow("not a database") << december7 << StoreState::NotADatabase << QStringList{"--upcoming"} << 1
                                    << QString();
}

void CommandLineTest::output() {
    QFETCH(QDate, today);
    QFETCH(StoreState, store);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    cwtest::Sandbox sandbox;
    sandbox.clock->current = QDateTime(today, QTime(9, 0));
    const QByteArray garbage("this is a text file, not a birthday list\n");
    cw::writeSetting(cw::SettingKey::LeapDay, cw::leapDayText(store == StoreState::DatedFebruary28));
    const bool hasRows = store != StoreState::Missing && store != StoreState::NotADatabase;
    if (hasRows) {
        sandbox.openStore();
        for (const auto& [name, month, day] :
             std::initializer_list<std::tuple<const char*, int, int>>{{"Arvel Quenby", 12, 10},
                                                                      {"Leap Lea", 2, 29},
                                                                      {"New Year Ned", 1, 1},
                                                                      {"Eve Eva", 12, 31},
                                                                      {"Tab\tName\x1b[2J\u0085Break", 3, 1},
                                                                      {"bea Bloom", 3, 1},
                                                                      {"Hal", -1, 5},
                                                                      {"Jan Roll", 13, 5}})
            cw::sharedConnection().execute(cw::statements::editorInsert(QString::fromUtf8(name), month, day));
        if (store != StoreState::Rows) {
            using Kind = cw::DateKind;
            for (const auto& [name, month, day, extras] :
                 std::initializer_list<std::tuple<const char*, int, int, cw::DateExtras>>{
                     {"Ada Born", 12, 10, {1986, Kind::Birthday, {}}},
                     {"Wed Ding", 12, 9, {2000, Kind::Anniversary, {}}}}) {
                cw::sharedConnection().execute(
                    cw::statements::editorInsert(QString::fromUtf8(name), month, day));
                cw::writeDateExtras(cw::sharedConnection(), cw::lastInsertId(cw::sharedConnection()), extras);
            }
            cw::writeDateExtras(cw::sharedConnection(), 2, {2000, Kind::Birthday, {}}); // Leap Lea
        }
        cw::sharedConnection().Close();
    } else if (store == StoreState::NotADatabase) {
        cw::prepareMakerFolder();
        cw::prepareDataFolder();
        QFile file(cw::liveStoreFile());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(garbage) == garbage.size());
    }
    const Result result = run(arguments);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.out, out);
    if (exitCode == 2)
        QVERIFY2(result.err.endsWith("\nTry 'candlewise --help'.\n") && result.err.count('\n') == 2,
                 qPrintable(result.err));
    if (exitCode != 2) // one line when the list cannot be read, none when done
        QCOMPARE(result.err.count(QLatin1Char('\n')), exitCode);
    if (!hasRows) {
        QFile file(cw::liveStoreFile());
        // Never created, and a foreign file left exactly as it was.
        QCOMPARE(file.exists(), store == StoreState::NotADatabase);
        if (file.open(QIODevice::ReadOnly))
            QCOMPARE(file.readAll(), garbage);
    }
}

// The built program answers with no display and writes no settings; other starts say there is none.
void CommandLineTest::needsNoDisplayAndTouchesNothingElse_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    const QString none = QString::fromLatin1(cw::noDisplayText);
    QTest::newRow("upcoming") << QStringList{"--upcoming", "365"} << 0 << "\tArvel Quenby\tDecember 10\n";
    QTest::newRow("window") << QStringList{} << 1 << none;
    QTest::newRow("Qt's options") << QStringList{"-session", "1234_ab", "--style", "Fusion", "-reverse"} << 1
                                  << none;
    QTest::newRow("display out of reach") << QStringList{"-display", ":4321"} << 1 << none;
    QTest::newRow("a word no option takes")
        << QStringList{"-style", "Fusion", "7"} << 2 << "candlewise: Give either --upcoming or --next.\n";
}

void CommandLineTest::needsNoDisplayAndTouchesNothingElse() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    cw::sharedConnection().execute(cw::statements::editorInsert(QStringLiteral("Arvel Quenby"), 12, 10));
    cw::sharedConnection().Close();
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(cwtest::builtSideFile(QStringLiteral("candlewise")), arguments);
    QVERIFY(program.waitForFinished(30000));
    const QString output = QString::fromLocal8Bit(program.readAll());
    QCOMPARE(program.exitCode(), exitCode);
    QVERIFY2(exitCode == 1 ? output == says : output.contains(says), qPrintable(output));
    QVERIFY(QDir(sandbox.path(QStringLiteral("config"))).isEmpty());
    QVERIFY(QDir(sandbox.path(QStringLiteral("autostart"))).isEmpty());
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_commandline.moc"
