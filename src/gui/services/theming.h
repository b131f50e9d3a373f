#pragma once
// The shared look of the windows: the button-face colour, the skin sheet on the main window and the
// white next-birthday label.
#include <QString>

class QLabel;
class QWidget;

namespace cw {

QString skinFile();
// Themes the main window and applies the skin sheet; nothing happens without the sheet next to the
// program. Throws AppError when the sheet cannot be read.
void SkinMainWindow(QWidget* form1);
// The window and its option buttons, check boxes, frames and labels take the button-face colour.
void ThemeWindow(QWidget* window);
// The palette in use is a dark one: its text is lighter than its windows.
bool isDarkPalette();
void setWhiteBackground(QLabel* label);

} // namespace cw
