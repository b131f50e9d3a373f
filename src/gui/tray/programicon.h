#pragma once
// The program's icon, a blue letter M on light cyan: crisp pixels at 16 × 16, scalable above.
// Resources: ":/icons/candlewise-16.png", ":/icons/candlewise-256.png", ":/icons/candlewise.svg".
#include <QIcon>

namespace cw {

QIcon programIcon();

} // namespace cw
