#include "core/age.h"

namespace cw {

bool isKnownYear(int year, const QDate& today) {
    return year >= firstKnownYear && year <= today.year();
}

int yearsOn(int year, const QDate& occurrence, const QDate& death) {
    if (year == 0 || !occurrence.isValid() || (death.isValid() && occurrence > death))
        return 0;
    const int years = occurrence.year() - year;
    return years > 0 ? years : 0;
}

QString isolatedName(const QString& name) {
    for (const QChar c : name) {
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirAN:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirLRE:
        case QChar::DirLRO:
        case QChar::DirPDF:
        case QChar::DirRLI:
        case QChar::DirLRI:
        case QChar::DirFSI:
        case QChar::DirPDI:
            return QChar(0x2068) + name + QChar(0x2069);
        default:
            break;
        }
    }
    return name;
}

} // namespace cw
