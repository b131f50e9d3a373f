#include "textio/birthdayrecord.h"

#include "textio/nametext.h"

namespace cw {

QString cleanPersonName(QString name) {
    return nameOnOneLine(name).trimmed();
}

} // namespace cw
