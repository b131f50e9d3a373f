#include "gui/tray/qttrayshell.h"

#include "gui/tray/notifyrecord.h"

#include <QTextDocument>

namespace cw {

namespace {
// Qt tells nobody when an X11 tray comes or goes, but its answer follows the tray's selection.
constexpr int availabilityPollMilliseconds = 1000;

// The tooltip takes text that looks like markup for rich text; such a text goes as the rich text
// that shows it as it stands. The balloon shows its text plainly as it is.
QString asShownTip(const QString& text) {
    return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpacePre) : text;
}
} // namespace

QtTrayShell::QtTrayShell(QObject* parent) : trayIcon_() {
    setParent(parent);
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

void QtTrayShell::apply(const NotifyIconData& data) {
    if (data.uFlags & NIF_ICON)
        trayIcon_.setIcon(data.hIcon);
    if (data.uFlags & NIF_TIP)
        trayIcon_.setToolTip(asShownTip(fieldText(data.szTip)));
}

void QtTrayShell::showMessage(const QString& title, const QString& text, int milliseconds) {
    trayIcon_.showMessage(title, text, QSystemTrayIcon::NoIcon, milliseconds);
}

void QtTrayShell::onActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        report(WM_LBUTTONDOWN, WM_LBUTTONUP);
        break;
    case QSystemTrayIcon::Context:
        report(WM_RBUTTONDOWN, WM_RBUTTONUP);
        break;
    case QSystemTrayIcon::DoubleClick:
        report(WM_LBUTTONDBLCLK, 0);
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
