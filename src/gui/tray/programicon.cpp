#include "gui/tray/programicon.h"

#include <QImageReader>

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

// Built once: every window and the tray share the one icon.
QIcon programIcon() {
    static const QIcon icon = [] {
        initTrayIcons();
        QIcon built;
        built.addFile(QStringLiteral(":/icons/candlewise-16.png"), QSize(16, 16));
        // The drawing scales cleanly where the image formats can read it; the large raster serves otherwise.
        if (QImageReader::supportedImageFormats().contains("svg"))
            built.addFile(QStringLiteral(":/icons/candlewise.svg"), QSize(256, 256));
        else
            built.addFile(QStringLiteral(":/icons/candlewise-256.png"), QSize(256, 256));
        return built;
    }();
    return icon;
}

} // namespace cw
