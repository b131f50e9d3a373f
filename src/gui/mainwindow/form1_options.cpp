// The options panel: each box writes its setting the moment it changes; so does the notifications entry.
#include "gui/mainwindow/form1.h"

#include "core/daysleft.h"
#include "gui/services/errorreport.h"
#include "gui/services/listview.h"
#include "gui/services/services.h"
#include "gui/startup/modstartup.h"
#include "platform/settings.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QMenu>
#include <QSignalBlocker>

namespace cw {

namespace {
int valueOf(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
}

// What "Load this software on Windows startup" means for "Start in system tray" and the setting.
void showStartupChoice(Form1& form, bool on) {
    if (!on)
        form.Check8->setChecked(false);
    form.Check8->setVisible(on);
    writeSetting(SettingKey::WindowsStartup, onOffText(on ? 1 : 0));
}
} // namespace

ReminderBoxes Form1::reminderBoxes() const {
    return {valueOf(Check1), valueOf(Check2), valueOf(Check4), valueOf(Check5), valueOf(Check6)};
}

void Form1::restoreOptions() {
    ErrorGuard guard(Location::Form1_Form_Load);
    const std::array<std::pair<QCheckBox*, SettingKey>, 5> reminders{{
        {Check1, SettingKey::Check1},
        {Check2, SettingKey::Check2},
        {Check4, SettingKey::Check4},
        {Check5, SettingKey::Check5},
        {Check6, SettingKey::Check6},
    }};
    // A value that does not convert is reported and the box takes its key's default, so a damaged
    // key never turns the day-of reminder off.
    for (const auto& [box, key] : reminders) {
        int value = checkBoxValueFromText(settingDefault(key));
        guard.step(13, [&] { value = readCheckBox(key); });
        box->setChecked(value == 1);
    }
    // An entry the desktop's own settings turned off leaves the box unticked, the setting as it is.
    guard.step(13, [&] {
        Check3->setChecked(readOnOff(SettingKey::WindowsStartup) == 1 && !modStartUp::IsTurnedOff());
    });
    guard.step(13, [&] { Check8->setChecked(readOnOff(SettingKey::Minimized) == 1); });
}

// A choice of the user like the boxes: kept the moment it is made, read live by the reminder check
// and the alert. Only "Off" turns it off, so a damaged value leaves the reminders as they were.
void Form1::addCatchUpEntry() {
    catchUp_ =
        new QAction(QStringLiteral("Catch up on reminders missed while the computer was off"), ListView1);
    catchUp_->setCheckable(true);
    catchUp_->setChecked(readSetting(SettingKey::CatchUp) != onOffText(0));
    ListView1->addAction(catchUp_);
    connect(catchUp_, &QAction::toggled, this,
            [](bool on) { writeSetting(SettingKey::CatchUp, onOffText(on)); });
}

// Where a February 29 birthday falls in common years, chosen in a submenu of the list's context menu.
// The choice is put in force before the first pass and, when changed, at once: the list is worked
// out again, and with it the label and any alert it brings.
void Form1::addLeapDayChoice() {
    applyLeapDaySetting();
    auto* menu = new QMenu(QStringLiteral("February 29 birthdays in common years"), ListView1);
    auto* choices = new QActionGroup(menu);
    for (const bool onFebruary28 : {false, true}) {
        QAction* choice = menu->addAction(QStringLiteral("on ") + leapDayText(onFebruary28));
        choice->setCheckable(true);
        choice->setChecked((leapDayRule() == LeapDayRule::February28) == onFebruary28);
        choices->addAction(choice);
        connect(choice, &QAction::triggered, this, [this, onFebruary28] {
            writeSetting(SettingKey::LeapDay, leapDayText(onFebruary28));
            applyLeapDaySetting();
            if (!startingUp)
                ListBirthdays(false);
        });
    }
    ListView1->addAction(menu->menuAction());
}

bool Form1::catchingUp() const {
    return catchUp_ && catchUp_->isChecked();
}

void Form1::Check1_Click() {
    writeSetting(SettingKey::Check1, checkBoxText(valueOf(Check1)));
}
void Form1::Check2_Click() {
    writeSetting(SettingKey::Check2, checkBoxText(valueOf(Check2)));
}
void Form1::Check4_Click() {
    writeSetting(SettingKey::Check4, checkBoxText(valueOf(Check4)));
}
void Form1::Check5_Click() {
    writeSetting(SettingKey::Check5, checkBoxText(valueOf(Check5)));
}
void Form1::Check6_Click() {
    writeSetting(SettingKey::Check6, checkBoxText(valueOf(Check6)));
}
void Form1::Check8_Click() {
    writeSetting(SettingKey::Minimized, onOffText(valueOf(Check8)));
}

void Form1::Check3_Click() {
    // Restoring the saved state at start-up neither writes nor removes the start-up entry.
    if (startingUp)
        return;
    const bool wanted = Check3->isChecked();
    showStartupChoice(*this, wanted);
    ErrorGuard guard(Location::Form1_Check3_Click);
    if (wanted)
        guard.step(2, [] { modStartUp::AddToStartup(); });
    else
        guard.step(3, [] { modStartUp::RemoveFromStartup(); });
    // A change that did not take: the box and its setting say what the next logon really does.
    const bool inEffect = guard.reports() == 0 ? wanted : modStartUp::IsInStartup();
    if (inEffect == wanted)
        return;
    const QSignalBlocker restoring(Check3);
    Check3->setChecked(inEffect);
    showStartupChoice(*this, inEffect);
}

// A ticked entry of the list's context menu: each alert also goes to the desktop's notifications.
void Form1::addNoticeOption() {
    auto* separator = new QAction(ListView1);
    separator->setSeparator(true);
    auto* option = new QAction(QStringLiteral("Also show reminders as desktop notifications"), ListView1);
    option->setCheckable(true);
    option->setChecked(readOnOff(SettingKey::DesktopNotifications) == 1);
    connect(option, &QAction::toggled, this,
            [](bool on) { writeSetting(SettingKey::DesktopNotifications, onOffText(on ? 1 : 0)); });
    ListView1->addActions({separator, option});
}

} // namespace cw
