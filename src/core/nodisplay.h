#pragma once
// Said by the program and by its window module alike, so it lives below both.

namespace cw {

// What a start that would open the window says where there is no display to open it on.
inline constexpr char noDisplayText[] = "candlewise: no display is available; run it in a desktop session. "
                                        "--upcoming and --next work without one.\n";

} // namespace cw
