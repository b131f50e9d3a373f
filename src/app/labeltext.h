#pragma once
// Text for a label that carries a fixed accessible name ("Next birthday", "Birthdays due").
#include <QString>

class QLabel;

namespace cw {

// Sets the label's text, shown as it stands (a name that looks like markup is still just a name), and
// repeats it as the label's accessible description: a label with an accessible name of its own gives
// screen readers only that name, never the text it shows.
void setLabelText(QLabel* label, const QString& text);

} // namespace cw
