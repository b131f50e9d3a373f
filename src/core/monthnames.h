#pragma once
// The English month names of the birthday text files; fixed, never taken from the user's locale.
#include <QString>

namespace cw {

// 1 to 12 for a whole English month name in any letter case; 0 for anything else (abbreviations,
// blanks around the word, other languages, the empty text).
int MonthNumberFromName(QStringView name);

// The capitalised name for 1 to 12, the empty text for any other value. The value is an unsigned
// 8-bit number: callers refuse anything outside 0 to 255 before they get here.
QString MonthNameFromNumber(int number);

} // namespace cw
