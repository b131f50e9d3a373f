#include "gui/services/labeltext.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStyle>

namespace cw {

void setLabelText(QLabel* label, const QString& text) {
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    if (label->accessibleDescription() != text)
        label->setAccessibleDescription(text);
}

QString NextBirthdayLabel::shownText(int width) const {
    const QFontMetrics metrics = fontMetrics();
    if (metrics.horizontalAdvance(text()) <= width)
        return text();
    static const QRegularExpression sentence(
        QStringLiteral("^(Next birthday is in )(.*)( \\d+ days| Today)$"));
    const QRegularExpressionMatch parts = sentence.match(text());
    if (!parts.hasMatch())
        return metrics.elidedText(text(), Qt::ElideRight, width);
    QString head = parts.captured(1), name = parts.captured(2), tail = parts.captured(3);
    // A name set apart from the sentence (FSI ... PDI) is shortened inside its marks, which stay.
    const QChar isolateStart(0x2068), isolateEnd(0x2069);
    if (name.size() >= 2 && name.front() == isolateStart && name.back() == isolateEnd) {
        head += isolateStart;
        tail.prepend(isolateEnd);
        name = name.mid(1, name.size() - 2);
    }
    const int room = width - metrics.horizontalAdvance(head + tail);
    return head + metrics.elidedText(name, Qt::ElideMiddle, std::max(room, 0)) + tail;
}

void NextBirthdayLabel::paintEvent(QPaintEvent* event) {
    const QRect room = contentsRect().adjusted(indent(), 0, 0, 0);
    if (fontMetrics().horizontalAdvance(text()) <= room.width()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    style()->drawItemText(&painter, room, alignment(), palette(), isEnabled(), shownText(room.width()),
                          foregroundRole());
}

} // namespace cw
