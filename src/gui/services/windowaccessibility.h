#pragma once
#include <QComboBox>
#include <QLabel>

namespace cw {

// A top-level window made from a plain widget announces itself to screen readers as a window, not
// as an anonymous filler.
void announceAsWindow(QWidget* window);

// On Linux Qt names a combo box after its current entry ("December") and leaves its purpose to a
// relation. This one is announced by its name, its entry being its value.
class NamedComboBox : public QComboBox {
    Q_OBJECT
  public:
    NamedComboBox(const QString& name, QWidget* parent);
};

// A label of several lines that screen readers read as text, by line, word or character, where Qt's
// own label gives them only one name.
class TextLines : public QLabel {
    Q_OBJECT
  public:
    explicit TextLines(QWidget* parent = nullptr);
};

} // namespace cw
