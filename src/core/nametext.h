#pragma once
// A person's name kept on one line: every birthday is one line of a text file, and a name is shown
// on one line in the list. The one rule for every way a name enters the store (the editor, the
// imports) and leaves it (the exports, the command line): an older stored name may still hold such
// characters, so a name is never written out without it.
#include <QString>

namespace cw {

// Line breaks, tabs and the other control characters (C0, DEL, C1), the line and the paragraph
// separator each become a blank; all else stays. Escape sequences thus never reach a terminal.
QString nameOnOneLine(const QString& name);

} // namespace cw
