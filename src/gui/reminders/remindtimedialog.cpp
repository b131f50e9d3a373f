#include "gui/reminders/remindtimedialog.h"

#include "gui/services/dialogkeys.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeEdit>

namespace cw {

namespace {
const QTime defaultDayTime(9, 0);
const QTime defaultEveningTime(19, 0);

QTimeEdit* timeBox(const std::optional<QTime>& time, const QTime& fallback, const QString& name,
                   QWidget* parent) {
    auto* box = new QTimeEdit(time.value_or(fallback), parent);
    // A time reads "09:00" in every language, as the tray's tip writes it. Right to left the box turns
    // its format around, and would show "00:09": it is given the format turned around already.
    box->setDisplayFormat(QGuiApplication::isRightToLeft() ? QStringLiteral("mm:HH")
                                                           : QStringLiteral("HH:mm"));
    box->setLayoutDirection(Qt::LeftToRight);
    box->setAccessibleName(name);
    return box;
}
} // namespace

RemindTimeDialog::RemindTimeDialog(const ReminderTimes& times, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Remind at a Time of Day"));
    dayBegins = new QRadioButton(QStringLiteral("As soon as the day begins"), this);
    atTime = new QRadioButton(QStringLiteral("At"), this);
    dayTime = timeBox(times.dayAt, defaultDayTime, QStringLiteral("Remind at"), this);
    evening = new QCheckBox(QStringLiteral("Also remind me the evening before, at"), this);
    eveningTime = timeBox(times.eveningAt, defaultEveningTime, QStringLiteral("Evening reminder at"), this);
    auto* group = new QButtonGroup(this);
    group->addButton(dayBegins);
    group->addButton(atTime);
    (times.dayAt ? atTime : dayBegins)->setChecked(true);
    evening->setChecked(times.eveningAt.has_value());
    dayTime->setEnabled(atTime->isChecked());
    eveningTime->setEnabled(evening->isChecked());
    connect(atTime, &QRadioButton::toggled, dayTime, &QWidget::setEnabled);
    connect(evening, &QCheckBox::toggled, eveningTime, &QWidget::setEnabled);
    arrowsChoose(group);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QGridLayout(this);
    layout->addWidget(dayBegins, 0, 0, 1, 2);
    layout->addWidget(atTime, 1, 0);
    layout->addWidget(dayTime, 1, 1);
    layout->addWidget(evening, 2, 0);
    layout->addWidget(eveningTime, 2, 1);
    layout->addWidget(buttons, 3, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setDialogKeys(this, buttons->button(QDialogButtonBox::Ok), atTime->isChecked() ? atTime : dayBegins);
}

ReminderTimes RemindTimeDialog::chosen() const {
    ReminderTimes times;
    if (atTime->isChecked())
        times.dayAt = QTime(dayTime->time().hour(), dayTime->time().minute());
    if (evening->isChecked())
        times.eveningAt = QTime(eveningTime->time().hour(), eveningTime->time().minute());
    return times;
}

} // namespace cw
