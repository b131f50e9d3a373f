#include "gui/tray/traypicture.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QVariant>

namespace cw {

TrayPicture pictureFromVariant(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<TrayPicture>())
        return value.value<TrayPicture>();
    switch (value.typeId()) {
    case QMetaType::QIcon:
        return TrayPicture::fromIcon(value.value<QIcon>());
    case QMetaType::QPixmap:
        return TrayPicture::bitmap(QIcon(value.value<QPixmap>()));
    case QMetaType::QImage:
        return TrayPicture::bitmap(QIcon(QPixmap::fromImage(value.value<QImage>())));
    default:
        return TrayPicture();
    }
}

} // namespace cw
