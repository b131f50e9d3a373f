#include "gui/services/dialogkeys.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>

namespace cw {

namespace {
class EnterPresses : public QObject {
  public:
    EnterPresses(QDialog* dialog, QPushButton* button, QWidget* firstFocus)
        : QObject(dialog), dialog_(dialog), button_(button), firstFocus_(firstFocus) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Given when the dialog first becomes active, not before it shows: a focused line edit in a
        // window not yet active crashes Qt's Wayland client on a seat without a keyboard.
        if (event->type() == QEvent::WindowActivate && watched == dialog_ && firstFocus_) {
            firstFocus_->setFocus(Qt::ActiveWindowFocusReason);
            firstFocus_ = nullptr;
        }
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
            (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        // A combo box's open list is a window of its own: Enter there picks the entry.
        if (!widget || widget->window() != dialog_ || qobject_cast<QPushButton*>(widget) || !button_)
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept(); // no shortcut of the theme's takes it first
            return true;
        }
        if (button_->isEnabled() && button_->isVisible())
            button_->click();
        return true;
    }

  private:
    QDialog* dialog_;
    QPointer<QPushButton> button_;
    QPointer<QWidget> firstFocus_;
};
} // namespace

void setDialogKeys(QDialog* dialog, QPushButton* button, QWidget* firstFocus) {
    button->setDefault(true);
    auto* filter = new EnterPresses(dialog, button, firstFocus);
    dialog->installEventFilter(filter);
    for (QWidget* child : dialog->findChildren<QWidget*>())
        child->installEventFilter(filter);
}

} // namespace cw
