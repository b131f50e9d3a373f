#include "textio/birthdayrecord.h"

namespace cw {

QString cleanPersonName(QString name) {
    for (QChar& c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = QLatin1Char(' ');
    return name.trimmed();
}

} // namespace cw
