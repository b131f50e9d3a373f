#pragma once
// Window layouts are kept in twips; 15 twips make one device-independent pixel (96 dpi) at the font
// the layout was designed for. A larger font (or a theme's wider one) makes every twip larger by the
// same factor, so every caption keeps fitting its control.
#include <QRect>
#include <QSize>

class QWidget;

namespace cw {

// 1 at the design font or a smaller one; else how much larger the application's font is.
double layoutScale();
int twips(int value);
QRect twipsRect(int left, int top, int width, int height);
QSize twipsSize(int width, int height);
// In a right-to-left window the controls placed in the container (and in its frames) stand as far
// from its right edge as they were placed from its left, as a laid-out window mirrors them.
void mirrorPlaces(QWidget* container);

} // namespace cw
