#pragma once
// Building the fixed-width text fields of the shell record.
#include <QString>

namespace cw {

constexpr int tipFieldWidth = 128;
constexpr int infoFieldWidth = 256;
constexpr int infoTitleFieldWidth = 64;

// The text cut to fit the field with its NUL, then the NUL, then blanks up to the field's width.
QString fixedWidthField(const QString& text, int width);

// The text of a fixed-width field up to its NUL (all of it when there is none).
QString fieldText(const QString& field);

} // namespace cw
