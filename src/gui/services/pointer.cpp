#include "gui/services/pointer.h"

#include "core/apperror.h"
#include "core/filepresence.h"
#include "gui/services/services.h"

#include <QAbstractScrollArea>
#include <QBuffer>
#include <QEvent>
#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QWidget>
#include <QtEndian>

namespace cw {

namespace {
const char* pointerProperty = "candlewiseMousePointer";
const char* iconProperty = "candlewiseMouseIcon";

class HoverFilter : public QObject {
  public:
    HoverFilter(QWidget* window, int value) : QObject(window), window_(window), value_(value) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Enter:
        case QEvent::MouseMove:
        case QEvent::HoverMove:
            // Busy keeps the hourglass; an unchanged pointer is left alone on every move.
            if (mousePointer(window_) != vbHourglass && mousePointer(window_) != value_)
                setMousePointer(window_, value_);
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget* window_;
    int value_;
};

void watch(QWidget* widget, HoverFilter* filter) {
    widget->setMouseTracking(true);
    widget->installEventFilter(filter);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) {
        area->viewport()->setMouseTracking(true);
        area->viewport()->installEventFilter(filter);
    }
}
} // namespace

QString handPointerFile() {
    return services().applicationFolder() + QStringLiteral("/HAND-M.CUR");
}

std::optional<QCursor> loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "cur");
    // The cursor reader alone: one left to guess loads every image plug-in installed.
    reader.setAutoDetectImageFormat(false);
    const QImage picture = bytes.size() < 14 ? QImage() : reader.read();
    if (picture.isNull())
        return std::nullopt;
    // In a cursor file the first entry's planes and bit-count fields hold the hot spot.
    const int hotX = qFromLittleEndian<quint16>(bytes.constData() + 10);
    const int hotY = qFromLittleEndian<quint16>(bytes.constData() + 12);
    return QCursor(QPixmap::fromImage(picture), hotX, hotY);
}

// A missing pointer file is passed over; one that is there but cannot be read is reported, and the
// window keeps the ordinary arrow.
void applyHandPointer(QWidget* window) {
    const QString path = handPointerFile();
    if (!IsFilePresent(path))
        return;
    const auto cursor = loadCursorFile(path);
    if (!cursor)
        throw AppError(QStringLiteral("Invalid picture: %1").arg(path));
    window->setProperty(iconProperty, QVariant::fromValue(*cursor));
}

int mousePointer(const QWidget* window) {
    return window->property(pointerProperty).toInt();
}

void setMousePointer(QWidget* window, int value) {
    window->setProperty(pointerProperty, value);
    switch (value) {
    case vbHourglass:
        window->setCursor(Qt::WaitCursor);
        break;
    case vbCustom: {
        const QVariant icon = window->property(iconProperty);
        if (icon.isValid())
            window->setCursor(icon.value<QCursor>());
        else
            window->unsetCursor();
        break;
    }
    default:
        window->unsetCursor();
        break;
    }
}

void installHoverPointers(QWidget* window, std::initializer_list<QWidget*> arrowWidgets,
                          std::initializer_list<QWidget*> handWidgets) {
    auto* arrow = new HoverFilter(window, vbDefault);
    auto* hand = new HoverFilter(window, vbCustom);
    watch(window, arrow);
    for (QWidget* widget : arrowWidgets)
        watch(widget, arrow);
    for (QWidget* widget : handWidgets)
        watch(widget, hand);
}

} // namespace cw
