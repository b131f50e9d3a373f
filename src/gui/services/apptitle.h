#pragma once
#include <QString>

namespace cw {

// The short title that captions every message box without a caption of its own.
QString applicationTitle();
void setApplicationTitle(const QString& title);
// Drops the last blank and what follows it, then again while the result is longer than 40 characters.
QString deriveApplicationTitle(const QString& productName);

} // namespace cw
