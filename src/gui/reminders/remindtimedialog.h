#pragma once
// "Remind at a time of day…": as soon as the day begins, or at a time; and a reminder the evening
// before, at a time of its own.
#include "core/remindertime.h"

#include <QDialog>

class QCheckBox;
class QRadioButton;
class QTimeEdit;

namespace cw {

class RemindTimeDialog : public QDialog {
    Q_OBJECT
  public:
    explicit RemindTimeDialog(const ReminderTimes& times, QWidget* parent = nullptr);
    ReminderTimes chosen() const;

    QRadioButton* dayBegins;
    QRadioButton* atTime;
    QTimeEdit* dayTime;
    QCheckBox* evening;
    QTimeEdit* eveningTime;
};

} // namespace cw
