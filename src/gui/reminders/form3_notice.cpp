// The alert's desktop notification: the same lines, and buttons that answer the alert as its own
// options and OK do. It comes and goes with the window.
#include "gui/reminders/form3.h"
#include "gui/services/services.h"
#include "platform/notifier.h"
#include "platform/settings.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>

#include <utility>

namespace cw {

namespace {
constexpr int linesShown = 5;
const QString optionKey = QStringLiteral("option%1");

// The first lines of the alert, and how many more the window holds.
QString noticeBody(const QString& alertText) {
    const QStringList lines = alertText.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QStringList shown = lines.mid(0, linesShown);
    if (lines.size() > linesShown)
        shown << QStringLiteral("and %1 more").arg(lines.size() - linesShown);
    return shown.join(QLatin1Char('\n'));
}
} // namespace

void Form3::postNotice() {
    if (noticePosted_ || readOnOff(SettingKey::DesktopNotifications) != 1)
        return;
    noticePosted_ = true;
    // The snooze the window offers, or the first one when the window offers no snooze.
    int snooze = selectedOption();
    if (snooze < 0 || snooze == 4)
        snooze = 0;
    Notice notice{windowTitle(),
                  noticeBody(Label1->text()),
                  QStringLiteral("candlewise"),
                  QStringLiteral("candlewise"),
                  {{optionKey.arg(snooze + 1), group_->button(snooze)->text()},
                   {optionKey.arg(5), group_->button(4)->text()}}};
    Notifier& notices = services().notices();
    connect(&notices, &Notifier::actionInvoked, this, &Form3::noticeAnswered);
    connect(&notices, &Notifier::activationToken, this,
            [this](const QString& token) { activationToken_ = token; });
    notices.post(notice);
}

// A click on the notification brings the window forward; a button chooses its option and presses OK.
void Form3::noticeAnswered(const QString& key) {
    if (key == QLatin1String("default")) {
        // On Wayland the server's token lets the compositor give the window the focus, which it
        // refuses to a program that merely asks.
        if (!activationToken_.isEmpty() &&
            QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
            qputenv("XDG_ACTIVATION_TOKEN", std::exchange(activationToken_, {}).toUtf8());
        setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
        activateWindow();
        return;
    }
    for (int option = 1; option <= 5; ++option) {
        if (key == optionKey.arg(option)) {
            group_->button(option - 1)->click();
            PushButton2->click();
            return;
        }
    }
}

void Form3::withdrawNotice() {
    if (std::exchange(noticePosted_, false))
        services().notices().withdraw();
}

} // namespace cw
