// The options panel: each box writes its setting the moment it changes.
#include "mainwindow/form1.h"

#include "app/errorreport.h"
#include "app/services.h"
#include "app/settings.h"
#include "startup/modstartup.h"

#include <QCheckBox>

namespace cw {

namespace {
int valueOf(const QCheckBox* box) {
    return box->isChecked() ? 1 : 0;
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
    guard.step(13, [&] { Check3->setChecked(readOnOff(SettingKey::WindowsStartup) == 1); });
    guard.step(13, [&] { Check8->setChecked(readOnOff(SettingKey::Minimized) == 1); });
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
    if (Check3->isChecked()) {
        Check8->setVisible(true);
        writeSetting(SettingKey::WindowsStartup, onOffText(1));
        modStartUp::AddToStartup();
    } else {
        Check8->setChecked(false);
        Check8->setVisible(false);
        writeSetting(SettingKey::WindowsStartup, onOffText(0));
        modStartUp::RemoveFromStartup();
    }
}

} // namespace cw
