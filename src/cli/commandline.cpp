#include "cli/commandline.h"
#include "cli/module.h"

#include "core/apperror.h"
#include "core/clock.h"
#include "core/monthnames.h"
#include "core/nametext.h"
#include "core/nextbirthday.h"
#include "platform/settings.h"
#include "store/birthdaylist.h"
#include "store/connection.h"
#include "store/storelocation.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTextStream>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <optional>
#include <system_error>

namespace cw {

namespace {
constexpr int defaultDays = 30;
constexpr int longestDays = 365;

// A whole number of days from 0 to 365 written in plain digits.
std::optional<int> daysFrom(const QString& text) {
    if (text.isEmpty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const int days = text.toInt();
    return days <= longestDays ? std::optional<int>(days) : std::nullopt;
}

// A row whose days left can be worked out; rows are in the list's calendar order. The month is the
// one the window's Month column names: a stored 13 is January, as the built date rolls it over.
struct DatedBirthday {
    size_t row;
    DaysLeft left;
    int month;
};

struct DatedList {
    BirthdayList list;
    std::vector<DatedBirthday> rows;
};

// The rows whose days left are at most maxDays; a row whose month or day cannot be used is left out.
// Before the window's first start there is no list yet. Any other reason the file cannot be reached
// is left to the open to report.
bool noListYet() {
    std::error_code error;
    return std::filesystem::status(QFile::encodeName(liveStoreFile()).constData(), error).type() ==
           std::filesystem::file_type::not_found;
}

DatedList readStore(const QDate& today, int maxDays) {
    Connection connection;
    connection.openToRead(liveStoreFile());
    // Rows that are surely too far away are left out as they are read; the rest are dated below.
    const auto near = [&](qint64 month, qint64 day) {
        return month < 1 || month > 12 || day < 0 || day > 31 ||
               daysLeft(int(month), int(day), today).days <= maxDays;
    };
    DatedList dated{
        maxDays < longestDays ? BirthdayList::read(connection, 0, near) : BirthdayList::read(connection), {}};
    for (size_t row = 0; row < dated.list.size(); ++row) {
        try {
            const DaysLeft left = dated.list.daysLeft(row, today);
            if (left.days <= maxDays)
                dated.rows.push_back(
                    {row, left,
                     buildDate(today.year(), dated.list.number(dated.list.month(row)), 1).month()});
        } catch (const AppError&) {
            // a month or day that is no date
        }
    }
    return dated;
}

// An anniversary is named as the list names it.
QString listedName(const BirthdayList& list, size_t row) {
    const QString person = list.person(row);
    return list.extras(row).kind == DateKind::Anniversary ? person + QStringLiteral(" (anniversary)")
                                                          : person;
}

void printUpcoming(DatedList dated, const QDate& today, QTextStream& out) {
    // Only the rows printed have their names read.
    std::vector<QString> names(dated.rows.size());
    for (size_t i = 0; i < dated.rows.size(); ++i)
        names[i] = listedName(dated.list, dated.rows[i].row);
    std::vector<size_t> order(dated.rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (dated.rows[a].left.days != dated.rows[b].left.days)
            return dated.rows[a].left.days < dated.rows[b].left.days;
        return names[a].compare(names[b], Qt::CaseInsensitive) < 0; // then calendar order
    });
    for (const size_t i : order) {
        const BirthdayList& list = dated.list;
        const size_t row = dated.rows[i].row;
        out << dated.rows[i].left.days << '\t' << nameOnOneLine(names[i]) << '\t'
            << MonthNameFromNumber(dated.rows[i].month) << ' ' << list.number(list.day(row));
        // The years turned on that day, for the rows whose year is known.
        if (const int years = list.yearsTurning(row, today, dated.rows[i].left.days))
            out << '\t' << years;
        out << '\n';
    }
}

void printNext(const DatedList& dated, QTextStream& out) {
    NextBirthday next;
    size_t nearest = dated.list.size();
    for (const DatedBirthday& row : dated.rows) {
        if (next.take(row.left))
            nearest = row.row;
    }
    out << nameOnOneLine(next.text(nearest < dated.list.size() ? dated.list.person(nearest) : QString()))
        << '\n';
}

// Syncs every address book once. The network and the secret store live in a module of their own,
// loaded only here, so that --upcoming and --next start without them.
int syncAll(QTextStream& err) {
    if (noListYet())
        return 0; // nothing subscribed, and no file is made
    const auto syncMain = loadModule<int(QTextStream&)>("candlewise-sync.so", "candlewiseSyncMain", err);
    return syncMain ? syncMain(err) : 1;
}

// The options QGuiApplication, QApplication and the X11 and Wayland platforms take from the arguments.
const QStringList qtOptionsWithValue{QStringLiteral("platform"),      QStringLiteral("platformpluginpath"),
                                     QStringLiteral("platformtheme"), QStringLiteral("qwindowgeometry"),
                                     QStringLiteral("geometry"),      QStringLiteral("qwindowtitle"),
                                     QStringLiteral("title"),         QStringLiteral("qwindowicon"),
                                     QStringLiteral("icon"),          QStringLiteral("plugin"),
                                     QStringLiteral("session"),       QStringLiteral("style"),
                                     QStringLiteral("stylesheet"),    QStringLiteral("display"),
                                     QStringLiteral("name"),          QStringLiteral("visual")};
const QStringList qtFlags{QStringLiteral("reverse"),     QStringLiteral("testability"),
                          QStringLiteral("widgetcount"), QStringLiteral("nograb"),
                          QStringLiteral("dograb"),      QStringLiteral("qmljsdebugger")};
} // namespace

StartArguments splitArguments(const QStringList& arguments) {
    StartArguments start{{}, arguments.mid(0, 1)};
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool twoDashes = argument.startsWith(QLatin1String("--"));
        const QString word = argument.mid(twoDashes ? 2 : 1);
        const QString name = word.section(u'=', 0, 0);
        const bool known = qtOptionsWithValue.contains(name) || qtFlags.contains(name);
        // Any one-dash word is Qt's, bar the program's own -h and -v and a negative number (a bad DAYS):
        // Qt ignores those it does not know.
        if (!argument.startsWith(u'-') || word.isEmpty() || (twoDashes && !known) || word[0].isDigit() ||
            argument == QLatin1String("-h") || argument == QLatin1String("-v"))
            start.rest << argument;
        else if (word.contains(u'='))
            start.qtOptions.insert(name, word.section(u'=', 1));
        else if (qtOptionsWithValue.contains(name) && i + 1 < arguments.size())
            start.qtOptions.insert(name, arguments[++i]);
        else
            start.qtOptions.insert(name, QString());
    }
    return start;
}

int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Candlewise Software: birthdays for scripts."));
    const QCommandLineOption upcoming(
        QStringLiteral("upcoming"),
        QStringLiteral("Print the birthdays due within DAYS days (0 to 365, default 30), soonest first, "
                       "one per line: DAYS<TAB>NAME<TAB>MONTH DAY, and <TAB>AGE where the year is known."));
    const QCommandLineOption next(QStringLiteral("next"),
                                  QStringLiteral("Print the next birthday as the window shows it."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Print this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Print the version and exit."));
    const QCommandLineOption sync(
        QStringLiteral("sync"),
        QStringLiteral("Read every subscribed address book once, then exit: 0 when all were "
                       "read, 1 with one line for each that failed."));
    parser.addOptions({upcoming, next, sync, help, version});
    parser.addPositionalArgument(QStringLiteral("DAYS"), QStringLiteral("Days ahead for --upcoming."),
                                 QStringLiteral("[DAYS]"));
    // The usage names the program as users call it, not its path (nor a placeholder, as there is no
    // application object).
    QString helpText = parser.helpText();
    const qsizetype nameStart = helpText.indexOf(QLatin1Char(' ')) + 1;
    helpText.replace(nameStart, helpText.indexOf(QLatin1String(" [options]")) - nameStart,
                     QStringLiteral("candlewise"));
    const auto usage = [&](const QString& problem) {
        err << "candlewise: " << problem << "\nTry 'candlewise --help'.\n";
        return 2;
    };
    const auto badDays = [&](const QString& days) {
        return usage(QStringLiteral("DAYS must be a whole number from 0 to 365: %1").arg(days));
    };
    // The GNU form --upcoming=DAYS is the option and its DAYS; a negative DAYS is a bad DAYS, not an
    // option the parser does not know.
    QStringList words;
    for (const QString& argument : arguments) {
        if (argument.size() > 1 && argument[0] == u'-' && argument[1].isDigit())
            return badDays(argument);
        if (argument.startsWith(QLatin1String("--upcoming=")))
            words << QStringLiteral("--upcoming") << argument.section(u'=', 1);
        else
            words << argument;
    }
    if (!parser.parse(words))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        out << helpText;
        return 0;
    }
    if (parser.isSet(version)) {
        out << "candlewise " << CANDLEWISE_VERSION << '\n';
        return 0;
    }
    const QStringList rest = parser.positionalArguments();
    if (parser.isSet(sync)) {
        if (parser.isSet(upcoming) || parser.isSet(next) || !rest.isEmpty())
            return usage(QStringLiteral("Give --sync alone."));
        return syncAll(err);
    }
    std::optional<int> days = defaultDays;
    if (parser.isSet(upcoming) == parser.isSet(next))
        return usage(QStringLiteral("Give either --upcoming or --next."));
    if (parser.isSet(next) ? !rest.isEmpty() : rest.size() > 1)
        return usage(QStringLiteral("Unexpected argument: %1").arg(rest.last()));
    if (!rest.isEmpty() && !(days = daysFrom(rest.first())))
        return badDays(rest.first());
    try {
        const QDate today = currentClock().today();
        applyLeapDaySetting();
        if (noListYet())
            return 0; // a script on a new account gets an empty answer, not an error
        if (parser.isSet(next))
            printNext(readStore(today, longestDays), out);
        else
            printUpcoming(readStore(today, *days), today, out);
    } catch (const std::exception& error) {
        err << "candlewise: " << nameOnOneLine(describe(error)) << '\n';
        return 1;
    }
    return 0;
}

} // namespace cw
