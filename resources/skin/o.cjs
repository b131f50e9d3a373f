/*
 * Candlewise skin: a quiet, flat look for the main window.
 *
 * Colours come from the palette so the skin follows the desktop's light or dark scheme.
 * Font sizes, paddings that change a widget's size, and the indicators of check boxes
 * and option buttons are left alone: the windows place their controls at fixed
 * positions, and every caption must keep the room it was given.
 * Labels are not touched either, so a label the program paints white stays white.
 */

/* Windows in the button-face colour. */
QMainWindow,
QDialog,
QWidget#Form1,
QWidget#Form2,
QWidget#Form3 {
    background-color: palette(button);
}

/* Frames: a thin rounded line with the title set into it. */
QGroupBox {
    background-color: transparent;
    border: 1px solid palette(mid);
    border-radius: 5px;
    margin-top: 0.6em;
}

QGroupBox::title {
    subcontrol-origin: margin;
    subcontrol-position: top left;
    left: 8px;
    padding: 0 3px;
    background-color: palette(button);
    color: palette(window-text);
}

/* Command buttons: flat and rounded, a soft tint under the mouse. */
QPushButton {
    background-color: palette(light);
    color: palette(button-text);
    border: 1px solid palette(mid);
    border-radius: 5px;
    padding: 1px 6px;
}

/* A see-through blue, so the tint sits well on light and dark schemes alike. */
QPushButton:hover {
    background-color: rgba(48, 140, 198, 0.14);
    border-color: palette(highlight);
}

QPushButton:pressed {
    background-color: rgba(48, 140, 198, 0.28);
    border-color: palette(highlight);
}

QPushButton:focus {
    border-color: palette(highlight);
}

QPushButton:disabled {
    color: palette(mid);
    border-color: palette(midlight);
}

/* The birthday list: a framed sheet with alternating rows and a flat header. */
QTreeView,
QListView,
QTableView {
    qproperty-alternatingRowColors: true;
    background-color: palette(base);
    alternate-background-color: palette(alternate-base);
    border: 1px solid palette(mid);
    border-radius: 3px;
    selection-background-color: palette(highlight);
    selection-color: palette(highlighted-text);
}

QHeaderView::section {
    background-color: palette(button);
    color: palette(button-text);
    border: none;
    border-right: 1px solid palette(midlight);
    border-bottom: 1px solid palette(mid);
    padding: 2px 6px;
}

QHeaderView::section:last {
    border-right: none;
}

/* The list shows that it has the keyboard, as the command buttons do. */
QTreeView:focus {
    border-color: palette(highlight);
}
