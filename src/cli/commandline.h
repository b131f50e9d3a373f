#pragma once
// The command line for scripts, status bars and login messages: --upcoming [DAYS], --next, --sync,
// --help and --version. It needs no display; only --sync writes the store, and nothing else is touched.
#include <QHash>
#include <QStringList>

class QTextStream;

namespace cw {

// The arguments include the program name first. Returns the exit code: 0 done, 1 the store could not
// be read, 2 bad arguments (one line to err and a pointer to --help).
int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);

// The arguments split in two: Qt's own options (-session ID as a session manager restarts the
// program, -platform, -style, -display, ...), as Qt reads them with one dash or two, by name without
// the dashes and with their values; and the rest, the program name first. A start with nothing in
// the rest opens the window and hands Qt the arguments; any other start is the command line's.
struct StartArguments {
    QHash<QString, QString> qtOptions;
    QStringList rest;
};
StartArguments splitArguments(const QStringList& arguments);

} // namespace cw
