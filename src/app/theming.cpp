#include "app/theming.h"

#include "app/apperror.h"
#include "app/services.h"

#include <QAbstractButton>
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

QString skinFile() { return services().applicationFolder() + QStringLiteral("/x/o.cjs"); }

void ThemeWindow(QWidget* window) {
    useButtonFace(window);
    const auto children = window->findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (qobject_cast<QRadioButton*>(child) || qobject_cast<QCheckBox*>(child) ||
            qobject_cast<QGroupBox*>(child) || qobject_cast<QLabel*>(child))
            useButtonFace(child);
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

void setWhiteBackground(QLabel* label) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    // A skin sheet on the window must not paint over it.
    label->setStyleSheet(QStringLiteral("background-color: white; color: black;"));
}


} // namespace cw
