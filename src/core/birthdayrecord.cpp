#include "core/birthdayrecord.h"

#include "core/nametext.h"

namespace cw {

QString cleanPersonName(QString name) {
    return nameOnOneLine(name).trimmed();
}

QString birthdayKey(const QString& name, int month, int day) {
    const QChar separator(0x1f);
    return name + separator + QString::number(month) + separator + QString::number(day);
}

QString birthdayKey(const QString& name, int month, int day, DateKind kind) {
    const QString key = birthdayKey(name, month, day);
    return kind == DateKind::Anniversary ? key + QChar(0x1f) + QLatin1Char('a') : key;
}

} // namespace cw
