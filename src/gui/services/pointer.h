#pragma once
// Window mouse pointers: 0 the arrow, 11 the hourglass, 99 the window's own pointer from "HAND-M.CUR".
// Buttons show the hand while the mouse is over them; the window's background, frames and list show
// the arrow; a busy window keeps its hourglass whatever the mouse passes over.
#include <QCursor>
#include <QString>

#include <initializer_list>
#include <optional>

class QWidget;

namespace cw {

enum MousePointer { vbDefault = 0, vbHourglass = 11, vbCustom = 99 };

QString handPointerFile();
// Reads a Windows cursor file, taking the hot spot from its header; nothing when it cannot be read.
std::optional<QCursor> loadCursorFile(const QString& path);
// Loads "HAND-M.CUR" as the window's own pointer when it is next to the program.
void applyHandPointer(QWidget* window);

int mousePointer(const QWidget* window);
void setMousePointer(QWidget* window, int value);

// Moving over an arrow widget sets 0 and over a hand widget 99, unless the window shows 11.
void installHoverPointers(QWidget* window, std::initializer_list<QWidget*> arrowWidgets,
                          std::initializer_list<QWidget*> handWidgets);

} // namespace cw
