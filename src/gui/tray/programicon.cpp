#include "gui/tray/programicon.h"

#include <QImageReader>
#include <QPixmap>

// The icons are compiled into this static library; the library registers them itself so that
// every program linking it finds them.
static void initTrayIcons() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(tray_icons);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace cw {

namespace {
// Read by the reader of the named format alone. A reader left to guess (QIcon::addFile, QPixmap's
// loading, the list of supported formats) loads every image plug-in installed, many on some
// desktops, at every start.
QImage readImage(const QString& file, const char* format, QSize size = {}) {
    QImageReader reader(file, format);
    reader.setAutoDetectImageFormat(false);
    if (size.isValid())
        reader.setScaledSize(size);
    return reader.read();
}
} // namespace

// Built once: every window and the tray share the one icon.
QIcon programIcon() {
    static const QIcon icon = [] {
        initTrayIcons();
        QIcon built;
        built.addPixmap(QPixmap::fromImage(readImage(QStringLiteral(":/icons/candlewise-16.png"), "png")));
        // The drawing scales cleanly where the image formats can read it; the large raster serves otherwise.
        QImage large = readImage(QStringLiteral(":/icons/candlewise.svg"), "svg", QSize(256, 256));
        if (large.isNull())
            large = readImage(QStringLiteral(":/icons/candlewise-256.png"), "png");
        built.addPixmap(QPixmap::fromImage(large));
        return built;
    }();
    return icon;
}

} // namespace cw
