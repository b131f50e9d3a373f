#include "core/nametext.h"

#include <algorithm>

namespace cw {

namespace {
// The control characters of both code-point blocks, and the line and paragraph separators.
bool breaksTheLine(QChar c) {
    const char16_t code = c.unicode();
    return code < 0x20 || (code >= 0x7f && code <= 0x9f) || code == 0x2028 || code == 0x2029;
}
} // namespace

QString nameOnOneLine(const QString& name) {
    if (std::none_of(name.cbegin(), name.cend(), breaksTheLine))
        return name;
    QString line = name;
    std::replace_if(line.begin(), line.end(), breaksTheLine, QLatin1Char(' '));
    return line;
}

} // namespace cw
