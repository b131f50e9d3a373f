#include "tray/qttrayshell.h"

#include "tray/notifyrecord.h"

#include <QTextDocument>

namespace cw {

namespace {
// How long a balloon without a time of its own stays, as QSystemTrayIcon::showMessage has it.
constexpr int defaultBalloonMilliseconds = 10000;
// Qt tells nobody when an X11 tray comes or goes, but its answer follows the tray's selection.
constexpr int availabilityPollMilliseconds = 1000;

// The tooltip takes text that looks like markup for rich text; such a text goes as the rich text
// that shows it as it stands. The balloon shows its text plainly as it is.
QString asShownTip(const QString& text) {
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpacePre) : text;
}
} // namespace

QtTrayShell::QtTrayShell(QObject* parent) : TrayShell(), trayIcon_() {
    setParent(parent);
    balloonTimer_.setSingleShot(true);
    connect(&balloonTimer_, &QTimer::timeout, this, [this] { endBalloon(NIN_BALLOONTIMEOUT); });
    connect(&trayIcon_, &QSystemTrayIcon::activated, this, &QtTrayShell::onActivated);
    connect(&trayIcon_, &QSystemTrayIcon::messageClicked, this, [this] {
        if (balloonTimer_.isActive())
            endBalloon(NIN_BALLOONUSERCLICK);
    });
    available_ = isAvailable();
    connect(&availabilityPoll_, &QTimer::timeout, this, [this] {
        if (isAvailable() != available_)
            emit availabilityChanged(available_ = !available_);
    });
    availabilityPoll_.start(availabilityPollMilliseconds);
}

bool QtTrayShell::notifyIcon(int message, const NotifyIconData& data) {
    switch (message) {
    case NIM_ADD:
        identifier_ = int(data.uID);
        apply(data);
        trayIcon_.show();
        return true;
    case NIM_MODIFY:
        apply(data);
        if (data.uFlags & NIF_INFO)
            showBalloon(data);
        return true;
    case NIM_DELETE:
        balloonTimer_.stop();
        trayIcon_.hide();
        return true;
    default:
        return false;
    }
}

void QtTrayShell::apply(const NotifyIconData& data) {
    if (data.uFlags & NIF_ICON)
        trayIcon_.setIcon(data.hIcon);
    if (data.uFlags & NIF_TIP)
        trayIcon_.setToolTip(asShownTip(fieldText(data.szTip)));
}

void QtTrayShell::showBalloon(const NotifyIconData& data) {
    const QString text = fieldText(data.szInfo);
    if (supportsMessages() && !text.isEmpty()) {
        const int milliseconds = data.uTimeout > 0 ? int(data.uTimeout) : defaultBalloonMilliseconds;
        trayIcon_.showMessage(fieldText(data.szInfoTitle), text, QSystemTrayIcon::NoIcon, milliseconds);
        balloonTimer_.start(milliseconds);
    } else if (!balloonTimer_.isActive()) {
        // Nothing can be shown, so the balloon is gone at once; reported from the event loop, as
        // the shell reports it after the call has returned.
        QTimer::singleShot(0, this, [this] { emit callback(identifier_, NIN_BALLOONHIDE); });
    }
}

void QtTrayShell::endBalloon(int code) {
    balloonTimer_.stop();
    emit callback(identifier_, code);
}

void QtTrayShell::onActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        emit callback(identifier_, WM_LBUTTONDOWN);
        emit callback(identifier_, WM_LBUTTONUP);
        break;
    case QSystemTrayIcon::Context:
        emit callback(identifier_, WM_RBUTTONDOWN);
        emit callback(identifier_, WM_RBUTTONUP);
        break;
    case QSystemTrayIcon::DoubleClick:
        emit callback(identifier_, WM_LBUTTONDBLCLK);
        break;
    default: // the middle button has no report
        break;
    }
}

bool QtTrayShell::isAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtTrayShell::supportsMessages() const {
    return QSystemTrayIcon::supportsMessages();
}

std::unique_ptr<TrayShell> createSystemTrayShell() {
    return std::make_unique<QtTrayShell>();
}

} // namespace cw
