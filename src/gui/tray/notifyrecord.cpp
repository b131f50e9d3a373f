#include "gui/tray/notifyrecord.h"

namespace cw {

QString fixedWidthField(const QString& text, int width) {
    qsizetype length = qMin<qsizetype>(text.size(), width - 1);
    // Never leave half of a surrogate pair at the cut.
    if (length > 0 && length < text.size() && text.at(length - 1).isHighSurrogate())
        --length;
    QString field = text.left(length);
    field.append(QChar(u'\0'));
    field.append(QString(width - field.size(), u' '));
    return field;
}

QString fieldText(const QString& field) {
    const qsizetype end = field.indexOf(QChar(u'\0'));
    return end < 0 ? field : field.left(end);
}

} // namespace cw
