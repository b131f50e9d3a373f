#pragma once
class QWidget;

namespace cw {

// A top-level window made from a plain widget announces itself to screen readers as a window, not
// as an anonymous filler.
void announceAsWindow(QWidget* window);

} // namespace cw
