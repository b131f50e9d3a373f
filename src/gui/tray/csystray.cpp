#include "gui/tray/csystray.h"

#include "core/apperror.h"
#include "gui/tray/notifyrecord.h"
#include "gui/tray/propertybag.h"
#include "gui/tray/traydesign.h"

#include <QAtomicInteger>
#include <QTimer>

#include <limits>

namespace cw {

namespace {

constexpr int leftButton = 1;
constexpr int rightButton = 2;

// Each control gets a window handle of its own for the life of the process.
quintptr takeWindowHandle() {
    static QAtomicInteger<quintptr> lastHandle{0x10000};
    return lastHandle.fetchAndAddRelaxed(4) + 4;
}

[[noreturn]] void overflow() {
    throw AppError(QStringLiteral("Overflow"));
}

} // namespace

cSysTray::cSysTray(std::unique_ptr<TrayShell> shell, QObject* parent)
    : QObject(parent), shell_(std::move(shell)), hWnd_(takeWindowHandle()), balloonEnd_(new QTimer(this)) {
    Q_ASSERT(shell_);
    balloonEnd_->setSingleShot(true);
    connect(balloonEnd_, &QTimer::timeout, this, &cSysTray::endBalloon);
}

cSysTray::~cSysTray() {
    if (inTray_)
        setInTray(false);
}

NotifyIconData cSysTray::emptyRecord() const {
    NotifyIconData data;
    data.hWnd = hWnd_;
    data.uID = iconId_;
    return data;
}

void cSysTray::setTrayIcon(const TrayPicture& picture) {
    if (!picture.isIcon())
        return;
    if (iconAdded_) {
        NotifyIconData data = emptyRecord();
        data.uFlags = NIF_ICON;
        data.hIcon = picture.icon();
        shell_->notifyIcon(NIM_MODIFY, data);
    }
    currentIcon_ = picture.icon();
    emit PropertyChanged(QStringLiteral("TrayIcon"));
}

void cSysTray::setTrayTip(const QString& tip) {
    if (iconAdded_) {
        NotifyIconData data = emptyRecord();
        data.uFlags = NIF_TIP;
        data.szTip = fixedWidthField(tip, tipFieldWidth);
        shell_->notifyIcon(NIM_MODIFY, data);
    }
    currentTip_ = tip;
    emit PropertyChanged(QStringLiteral("TrayTip"));
}

void cSysTray::setInTray(bool inTray) {
    if (inTray == inTray_)
        return;
    if (inTray) {
        hook_.install(*shell_, this, [this](int identifier, int code) { report(identifier, code); });
        addIcon();
        iconAdded_ = true;
    } else if (iconAdded_) {
        removeIcon();
        hook_.remove();
        iconAdded_ = false;
    }
    inTray_ = inTray;
    emit PropertyChanged(QStringLiteral("InTray"));
}

void cSysTray::addIcon() {
    NotifyIconData data = emptyRecord();
    data.uCallbackMessage = trayCallbackMessage;
    if (!currentIcon_.isNull()) {
        data.uFlags |= NIF_ICON;
        data.hIcon = currentIcon_;
    }
    if (!currentTip_.isEmpty()) {
        data.uFlags |= NIF_TIP;
        data.szTip = fixedWidthField(currentTip_, tipFieldWidth);
    }
    data.uFlags |= NIF_MESSAGE;
    shell_->notifyIcon(NIM_ADD, data); // a failed add still counts as added, as the shell leaves it
}

void cSysTray::removeIcon() {
    shell_->notifyIcon(NIM_DELETE, emptyRecord());
}

void cSysTray::ShowBalloon(const QString& text, const QString& title, qint32 timeout, bool showOnce) {
    if (showOnce && showOnceCount_ >= 1)
        return;
    NotifyIconData data = emptyRecord();
    data.uFlags = NIF_INFO;
    data.szInfoTitle = fixedWidthField(title, infoTitleFieldWidth);
    data.szInfo = fixedWidthField(text, infoFieldWidth);
    if (timeout > 0) {
        const qint64 milliseconds = qint64(timeout) * 1000;
        if (milliseconds > std::numeric_limits<qint32>::max())
            overflow();
        data.uTimeout = unsigned(milliseconds);
    }
    shell_->notifyIcon(NIM_MODIFY, data);
    balloonShown_ = true;
    if (showOnce) {
        if (showOnceCount_ == std::numeric_limits<qint32>::max())
            overflow();
        ++showOnceCount_;
    }
    if (timeout > 0)
        balloonEnd_->start(int(data.uTimeout));
    else
        balloonEnd_->stop(); // the new balloon is the shell's to take away
}

// The time is up: the balloon is taken away. The flag stays until the shell reports it gone.
void cSysTray::endBalloon() {
    if (!balloonShown_ || !iconAdded_)
        return;
    NotifyIconData data = emptyRecord();
    data.uFlags = NIF_INFO;
    data.szInfoTitle = fixedWidthField(QString(), infoTitleFieldWidth);
    data.szInfo = fixedWidthField(QString(), infoFieldWidth);
    data.uTimeout = unsigned(balloonEnd_->interval());
    shell_->notifyIcon(NIM_MODIFY, data);
}

void cSysTray::report(int identifier, int code) {
    switch (code) {
    case WM_MOUSEMOVE:
        emit MouseMove(identifier);
        break;
    case WM_LBUTTONDOWN:
        emit MouseDown(leftButton, identifier);
        break;
    case WM_LBUTTONUP:
        emit MouseUp(leftButton, identifier);
        break;
    case WM_LBUTTONDBLCLK:
        emit MouseDblClick(leftButton, identifier);
        break;
    case WM_RBUTTONDOWN:
        emit MouseDown(rightButton, identifier);
        break;
    case WM_RBUTTONUP:
        emit MouseUp(rightButton, identifier);
        break;
    case WM_RBUTTONDBLCLK:
        emit MouseDblClick(rightButton, identifier);
        break;
    case NIN_BALLOONHIDE:
    case NIN_BALLOONTIMEOUT:
    case NIN_BALLOONUSERCLICK:
        balloonShown_ = false;
        break;
    default:
        break;
    }
}

void cSysTray::InitProperties() {
    setInTray(false);
    setTrayTip(defaultTrayTip());
    setTrayIcon(designTimePicture());
}

void cSysTray::ReadProperties(const PropertyBag& bag) {
    setInTray(bag.ReadProperty(QStringLiteral("InTray"), false).toBool());
    setTrayIcon(pictureFromVariant(
        bag.ReadProperty(QStringLiteral("TrayIcon"), QVariant::fromValue(designTimePicture()))));
    setTrayTip(bag.ReadProperty(QStringLiteral("TrayTip"), defaultTrayTip()).toString());
}

void cSysTray::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty(QStringLiteral("InTray"), inTray_);
    bag.WriteProperty(QStringLiteral("TrayIcon"), QVariant::fromValue(currentIcon_));
    bag.WriteProperty(QStringLiteral("TrayTip"), currentTip_);
}

} // namespace cw
