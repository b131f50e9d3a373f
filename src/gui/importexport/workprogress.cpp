#include "gui/importexport/workprogress.h"

#include "gui/services/apptitle.h"
#include "gui/services/services.h"
#include "gui/services/timercontrol.h"

#include <QCoreApplication>
#include <QLocale>
#include <QProgressDialog>

#include <algorithm>
#include <limits>
#include <vector>

namespace cw {

namespace {
constexpr qint64 showAfterMs = 500;
constexpr qint64 updateEveryMs = 100;
// advance() reads the clock once in this many units: a unit takes a few microseconds at least.
constexpr qint64 unitsPerClockRead = 256;
// The bar's range is an int: a larger total is shown in steps of this size.
constexpr int barSteps = 1000000;

int barValue(qint64 done, qint64 total) {
    if (total <= std::numeric_limits<int>::max())
        return static_cast<int>(std::min(done, total));
    return static_cast<int>(std::min(done, total) * barSteps / total);
}
} // namespace

namespace {
std::vector<WorkProgress*>& running() {
    static std::vector<WorkProgress*> works;
    return works;
}
} // namespace

WorkProgress::WorkProgress(QWidget* window, TimerControl* heldTimer)
    : window_(window), heldTimer_(heldTimer), started_(services().clock().now()) {
    running().push_back(this);
}

WorkProgress::~WorkProgress() {
    std::erase(running(), this);
    delete dialog_.data();
    if (timerHeld_ && heldTimer_)
        heldTimer_->restart();
}

bool WorkProgress::cancelRunning() {
    for (WorkProgress* work : running())
        work->cancelled_ = true;
    return !running().empty();
}

void WorkProgress::begin(const QString& labelText, qint64 total) {
    labelText_ = labelText;
    total_ = std::max<qint64>(total, 0);
    nextClockRead_ = 0;
    if (dialog_)
        update(0);
}

bool WorkProgress::advance(qint64 done) {
    if (done >= nextClockRead_) {
        nextClockRead_ = done + unitsPerClockRead;
        checkClock(done);
    }
    return !cancelled_;
}

void WorkProgress::checkClock(qint64 done) {
    if (!window_ || cancelled_)
        return;
    const QDateTime now = services().clock().now();
    if (!shown_) {
        if (started_.msecsTo(now) < showAfterMs)
            return;
        showDialog();
    } else if (!dialog_ || lastUpdate_.msecsTo(now) < updateEveryMs) {
        return;
    }
    lastUpdate_ = now;
    update(done);
}

void WorkProgress::showDialog() {
    auto* dialog = new QProgressDialog(window_->window());
    dialog->setWindowTitle(applicationTitle());
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setMinimumDuration(0);
    dialog->setAutoClose(false);
    dialog->setAutoReset(false);
    QObject::connect(dialog, &QProgressDialog::canceled, dialog, [this] { cancelled_ = true; });
    dialog_ = dialog;
    shown_ = true;
    // The dialog lets the window's events through: no tick may open an alert over it.
    if (heldTimer_ && heldTimer_->isTicking()) {
        heldTimer_->stop();
        timerHeld_ = true;
    }
    dialog->show();
}

void WorkProgress::update(qint64 done) {
    const QLocale locale;
    QString text = labelText_;
    text.replace(QLatin1String("%1"), locale.toString(done));
    text.replace(QLatin1String("%2"), total_ > 0 ? locale.toString(total_) : QStringLiteral("?"));
    dialog_->setLabelText(text);
    const bool scaled = total_ > std::numeric_limits<int>::max();
    dialog_->setRange(0, total_ == 0 ? 0 : scaled ? barSteps : static_cast<int>(total_));
    if (total_ > 0)
        dialog_->setValue(barValue(done, total_));
    // The dialog paints and its Cancel button is heard; the window itself takes no input while the
    // window-modal dialog is up.
    QCoreApplication::processEvents();
}

} // namespace cw
