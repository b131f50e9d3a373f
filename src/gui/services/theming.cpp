#include "gui/services/theming.h"

#include "core/apperror.h"
#include "gui/services/services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace cw {

namespace {
void useButtonFace(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, widget->palette().color(QPalette::Button));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
} // namespace

bool isDarkPalette() {
    const QPalette palette = QApplication::palette();
    return palette.color(QPalette::WindowText).lightness() > palette.color(QPalette::Window).lightness();
}

QString skinFile() {
    return services().applicationFolder() + QStringLiteral("/x/o.cjs");
}

namespace {
// Under a dark palette a box's empty square or circle takes the text-field colour, nearly the window's
// own: it gets a lighter fill, so an unticked box stays clearly visible.
void showEmptyBox(QWidget* box) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window).lighter(190));
    box->setPalette(palette);
}
} // namespace

void ThemeWindow(QWidget* window) {
    useButtonFace(window);
    const auto children = window->findChildren<QWidget*>();
    for (QWidget* child : children) {
        const bool box = qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child);
        if (box || qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child))
            useButtonFace(child);
        if (box && isDarkPalette())
            showEmptyBox(child);
    }
}

void SkinMainWindow(QWidget* form1) {
    if (!QFileInfo(skinFile()).isFile())
        return; // no skin: the window keeps the colours of its design
    ThemeWindow(form1);
    QFile sheet(skinFile());
    if (!sheet.open(QIODevice::ReadOnly | QIODevice::Text))
        throw AppError(QStringLiteral("Cannot read the skin %1: %2").arg(skinFile(), sheet.errorString()));
    form1->setStyleSheet(QString::fromUtf8(sheet.readAll()));
}

// White under a light palette, as designed; under a dark one the palette's own text-field colours,
// never a white bar with the palette's light text.
void setWhiteBackground(QLabel* label) {
    const bool dark = isDarkPalette();
    const QColor back = dark ? QApplication::palette().color(QPalette::Base) : QColor(Qt::white);
    const QColor text = dark ? QApplication::palette().color(QPalette::Text) : QColor(Qt::black);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, back);
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    // A skin sheet on the window must not paint over it. A label that takes the focus shows it.
    const QString focusMark =
        label->focusPolicy() & Qt::TabFocus
            ? QStringLiteral("border: 1px solid transparent; } QLabel:focus { border-color: %1;")
                  .arg(QApplication::palette().color(QPalette::Highlight).name())
            : QString();
    label->setStyleSheet(QStringLiteral("QLabel { background-color: %1; color: %2; %3 }")
                             .arg(back.name(), text.name(), focusMark));
}

} // namespace cw
