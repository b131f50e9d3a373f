#include "app/labeltext.h"

#include <QLabel>

namespace cw {

void setLabelText(QLabel* label, const QString& text) {
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    if (label->accessibleDescription() != text)
        label->setAccessibleDescription(text);
}

} // namespace cw
