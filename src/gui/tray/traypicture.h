#pragma once
// A picture handed to the tray control. Only pictures of the icon kind reach the tray; a bitmap, a
// metafile or no picture at all is turned away by the control.
#include <QIcon>
#include <QMetaType>
#include <QVariant>

namespace cw {

class TrayPicture {
  public:
    enum class Kind { None, Bitmap, Metafile, Icon };

    TrayPicture() = default;
    static TrayPicture fromIcon(const QIcon& icon) {
        return icon.isNull() ? TrayPicture() : TrayPicture(Kind::Icon, icon);
    }
    static TrayPicture bitmap(const QIcon& image) { return TrayPicture(Kind::Bitmap, image); }
    static TrayPicture metafile(const QIcon& image) { return TrayPicture(Kind::Metafile, image); }

    bool isIcon() const { return kind_ == Kind::Icon && !icon_.isNull(); }
    const QIcon& icon() const { return icon_; }

  private:
    TrayPicture(Kind kind, const QIcon& icon) : kind_(kind), icon_(icon) {}
    Kind kind_ = Kind::None;
    QIcon icon_;
};

// A stored picture as the host's property bag holds it: an icon, a bitmap image, or nothing usable.
TrayPicture pictureFromVariant(const QVariant& value);

} // namespace cw

Q_DECLARE_METATYPE(cw::TrayPicture)
