#pragma once
// Text for a label that carries a fixed accessible name ("Next birthday", "Birthdays due").
#include <QLabel>
#include <QString>

namespace cw {

// Sets the label's text, shown as it stands (a name that looks like markup is still just a name), and
// repeats it as the label's accessible description: a label with an accessible name of its own gives
// screen readers only that name, never the text it shows.
void setLabelText(QLabel* label, const QString& text);

// The next-birthday label: a sentence too long for it is shown with the name shortened in its middle,
// so the days at its end stay in view. Its text, and what screen readers get, stay whole.
class NextBirthdayLabel : public QLabel {
  public:
    using QLabel::QLabel;
    // What the label shows of its text in the given width.
    QString shownText(int width) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace cw
