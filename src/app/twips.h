#pragma once
// Window layouts are kept in twips; 15 twips make one device-independent pixel (96 dpi).
#include <QRect>
#include <QSize>

namespace cw {

constexpr int twips(int value) { return (value + 7) / 15; }
constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}
constexpr QSize twipsSize(int width, int height) { return QSize(twips(width), twips(height)); }

} // namespace cw
