#pragma once
// The command line for scripts, status bars and login messages: --upcoming [DAYS], --next, --help and
// --version. It reads the store without a display, never writes it and touches nothing else.
#include <QStringList>

class QTextStream;

namespace cw {

// The arguments include the program name first. Returns the exit code: 0 done, 1 the store could not
// be read, 2 bad arguments (the usage goes to err).
int runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace cw
