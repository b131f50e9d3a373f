#include "gui/services/windowaccessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace cw {

namespace {
const char* windowMarker = "candlewiseAccessibleWindow";

QAccessibleInterface* windowInterface(const QString&, QObject* object) {
    if (object && object->isWidgetType() && object->property(windowMarker).toBool())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}
} // namespace

void announceAsWindow(QWidget* window) {
    static const bool installed = [] {
        QAccessible::installFactory(windowInterface);
        return true;
    }();
    (void)installed;
    window->setProperty(windowMarker, true);
}

} // namespace cw
