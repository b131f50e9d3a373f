#pragma once
// A person's name kept on one line: every birthday is one line of a text file, and a name is shown
// on one line in the list.
#include <QString>

namespace cw {

// Line breaks, tabs and the other control characters each become a blank; all else stays.
QString nameOnOneLine(const QString& name);

} // namespace cw
