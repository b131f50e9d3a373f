#pragma once
#include <QString>

namespace cw {

// True when the file system can tell the path's modification time: the file or folder is there and
// reachable. Never throws.
bool IsFilePresent(const QString& path) noexcept;

} // namespace cw
