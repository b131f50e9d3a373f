#include "gui/services/twips.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QGroupBox>

#include <algorithm>
#include <cmath>

namespace cw {

namespace {
// The design font, Qt's own default (Sans Serif 9 pt at 96 dpi): its line height and the width of
// its longest caption's words.
constexpr double designHeight = 13.969;
constexpr double designSampleWidth = 186.094;
const char* const sample = "Import Birthdays From Text File";
} // namespace

double layoutScale() {
    const QFontMetricsF metrics(QApplication::font());
    return std::max({1.0, metrics.height() / designHeight,
                     metrics.horizontalAdvance(QLatin1String(sample)) / designSampleWidth});
}

int twips(int value) {
    const double scale = layoutScale();
    if (scale == 1.0)
        return (value + 7) / 15; // the design's own rounding
    return static_cast<int>(std::lround(value * scale / 15.0));
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

QSize twipsSize(int width, int height) {
    return QSize(twips(width), twips(height));
}

void mirrorPlaces(QWidget* container) {
    if (!container->isRightToLeft())
        return;
    for (QWidget* child : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        child->move(container->width() - child->x() - child->width(), child->y());
        if (qobject_cast<QGroupBox*>(child))
            mirrorPlaces(child);
    }
}

} // namespace cw
