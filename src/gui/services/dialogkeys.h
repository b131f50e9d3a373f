#pragma once
// Enter and the initial focus of the program's own dialogs, the same under every platform theme.
class QButtonGroup;
class QDialog;
class QPushButton;
class QWidget;

namespace cw {

// Enter presses button from anywhere in the dialog except a focused push button, which Enter presses
// itself: some themes (GTK's) make Enter press a focused option button instead, which would change
// the option silently, and let a focused box swallow it. firstFocus takes the focus when the dialog
// opens. Escape stays Qt's own: the dialog closes as its close box closes it.
void setDialogKeys(QDialog* dialog, QPushButton* button, QWidget* firstFocus);

// An option group as in every desktop dialog: Tab enters it on the checked option, and the arrows
// move the choice, not only the focus ring.
void arrowsChoose(QButtonGroup* group);

} // namespace cw
