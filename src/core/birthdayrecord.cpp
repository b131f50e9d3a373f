#include "core/birthdayrecord.h"

#include "core/nametext.h"

namespace cw {

QString cleanPersonName(QString name) {
    return nameOnOneLine(name).trimmed();
}

} // namespace cw
