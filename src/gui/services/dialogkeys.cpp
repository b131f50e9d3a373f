#include "gui/services/dialogkeys.h"

#include <QAbstractButton>
#include <QButtonGroup>
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

// Qt moves the choice along with the focus only from a checked option: an arrow on an unchecked
// one (none is checked yet) checks it first.
class CheckBeforeMoving : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_Left || key == Qt::Key_Right)
            static_cast<QAbstractButton*>(watched)->setChecked(true);
        return false;
    }
};
} // namespace

void arrowsChoose(QButtonGroup* group) {
    // Only the checked option is in the Tab chain (all are while none is checked).
    const auto settle = [group] {
        const QAbstractButton* checked = group->checkedButton();
        for (QAbstractButton* button : group->buttons())
            button->setFocusPolicy(!checked || button == checked ? Qt::StrongFocus : Qt::ClickFocus);
    };
    QObject::connect(group, &QButtonGroup::buttonToggled, group, settle);
    settle();
    auto* filter = new CheckBeforeMoving(group);
    for (QAbstractButton* button : group->buttons())
        button->installEventFilter(filter);
}

void setDialogKeys(QDialog* dialog, QPushButton* button, QWidget* firstFocus) {
    button->setDefault(true);
    auto* filter = new EnterPresses(dialog, button, firstFocus);
    dialog->installEventFilter(filter);
    for (QWidget* child : dialog->findChildren<QWidget*>())
        child->installEventFilter(filter);
}

} // namespace cw
