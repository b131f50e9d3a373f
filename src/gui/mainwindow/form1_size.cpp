// The main window's size: at its designed size it looks as designed; made larger, the list takes the
// added room and the commands and options keep their places below it. Its size and place are kept
// for the next start, in the state file, each time a move or resize has ended.
#include "gui/mainwindow/form1.h"

#include "gui/services/listview.h"
#include "gui/services/twips.h"
#include "platform/statefile.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegion>
#include <QScreen>
#include <QStyle>
#include <QTimer>

#include <optional>

namespace cw {

namespace {
QSize designedSize() {
    return twipsSize(8040, 8160);
}
// On a low screen with a large font the list may give up height, down to about four rows, so that
// the options below it stay on the screen.
int listShrink() {
    return twips(1335);
}

// "a,b" as two numbers, or nothing.
std::optional<QPoint> readPair(StateKey key) {
    const QStringList parts = readState(key).split(QLatin1Char(','));
    bool okX = false, okY = false;
    const QPoint pair = parts.size() == 2 ? QPoint(parts[0].toInt(&okX), parts[1].toInt(&okY)) : QPoint();
    return okX && okY ? std::optional(pair) : std::nullopt;
}

// A place is restored only where the whole title bar and at least half the window are on the screens;
// the user could not reach a window further off.
bool reachable(const QRect& window) {
    QRegion screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens += screen->availableGeometry();
    const QRect titleBar(window.topLeft(), QSize(window.width(), QApplication::style()->pixelMetric(
                                                                     QStyle::PM_TitleBarHeight)));
    qint64 shown = 0;
    for (const QRect& part : screens.intersected(window))
        shown += qint64(part.width()) * part.height();
    return screens.intersected(titleBar) == QRegion(titleBar) &&
           2 * shown >= qint64(window.width()) * window.height();
}
} // namespace

void Form1::placeControls() {
    const int addedWidth = std::max(0, width() - designedSize().width());
    const int addedHeight = std::max(-listShrink(), height() - designedSize().height());
    // A right-to-left window measures every place from its right edge, as a laid-out one does.
    const auto place = [this](QWidget* control, const QRect& designed) {
        control->setGeometry(QStyle::visualRect(layoutDirection(), rect(), designed));
    };
    place(Label1, twipsRect(120, 120, 7800, 255).adjusted(0, -2, addedWidth, 2));
    // The bar of failing address books, then the find field, take their heights from the top of the
    // list while they are shown.
    const int barHeight = failingBar->sizeHint().height();
    const int barRoom = failingBar->isHidden() ? 0 : barHeight + twips(60);
    place(failingBar, twipsRect(120, 480, 7800, 0).adjusted(0, 0, addedWidth, barHeight));
    place(findField, twipsRect(120, 480, 7800, 315).adjusted(0, barRoom, addedWidth, barRoom));
    const int findRoom = findField->isHidden() ? 0 : 360;
    place(
        ListView1,
        twipsRect(120, 480 + findRoom, 7800, 2535 - findRoom).adjusted(0, barRoom, addedWidth, addedHeight));
    for (const auto& [below, designed] : designedBelow_)
        place(below, designed.translated(0, addedHeight));
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls();
    if (placeTimer_)
        placeTimer_->start();
}

void Form1::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (placeTimer_)
        placeTimer_->start();
}

// A place the user could not reach (on a monitor since removed, mostly off the screen) is not
// restored; the first start opens in the middle of the screen. The place is kept once a move or resize
// has been still for a moment, never on the way out.
void Form1::restoreWindowPlace() {
    setMinimumSize(designedSize() - QSize(0, listShrink()));
    const std::optional<QPoint> stored = readPair(StateKey::WindowSize);
    const QSize roomy = stored ? designedSize().expandedTo(QSize(stored->x(), stored->y())) : designedSize();
    // The frame takes some of the screen's height too; a window that would not fit gives up list rows.
    const int frame = 40;
    resize(roomy.boundedTo(screen()->availableGeometry().size() - QSize(0, frame)).expandedTo(minimumSize()));
    const std::optional<QPoint> place = readPair(StateKey::WindowPosition);
    if (place && reachable(QRect(*place, size()))) {
        move(*place);
    } else {
        QRect centred(QPoint(), size());
        centred.moveCenter(screen()->availableGeometry().center());
        move(centred.topLeft());
    }
    placeKept_ = QRect(pos(), size());
    placeTimer_ = new QTimer(this);
    placeTimer_->setSingleShot(true);
    placeTimer_->setInterval(500);
    connect(placeTimer_, &QTimer::timeout, this, &Form1::saveWindowPlace);
}

void Form1::saveWindowPlace() {
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    // pos() is the frame's corner, as move() takes it.
    const QPoint place = isMaximized() ? normal.topLeft() - (geometry().topLeft() - pos()) : pos();
    if (!isVisible() || QRect(place, normal.size()) == placeKept_)
        return;
    placeKept_ = QRect(place, normal.size());
    writeState(StateKey::WindowSize, QStringLiteral("%1,%2").arg(normal.width()).arg(normal.height()));
    writeState(StateKey::WindowPosition, QStringLiteral("%1,%2").arg(place.x()).arg(place.y()));
}

} // namespace cw
