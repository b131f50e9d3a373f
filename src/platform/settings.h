#pragma once
// The per-user settings: application "Marrowfen", section "Candlewise Software", twelve text keys
// for the options, two for the list's order, and the notifications' and the catch-up's switches.
// Only the user's choices are here, each written when it is made; what the program keeps for itself
// is in its state file.
#include <QString>

#include <array>
#include <optional>

namespace cw {

enum class SettingKey {
    Check1,
    Check2,
    Check4,
    Check5,
    Check6,
    WindowsStartup,
    Minimized,
    Option1,
    Option2,
    Option3,
    Option4,
    Option5,
    // The list's order, kept beyond the twelve keys of the options.
    SortColumn,
    SortOrder,
    // "On" or "Off": each alert also goes to the desktop's notifications.
    DesktopNotifications,
    // "On": the first alert after days without a pass gives their reminders too ("Off": the alerts
    // come only at start-up and when a snooze ends).
    CatchUp,
    // "February 28": a February 29 birthday falls on February 28 in common years ("March 1", the
    // default, or anything else: on March 1).
    LeapDay,
    // "HH:MM" on the 24-hour clock: the day's reminder comes at that time instead of as the day begins;
    // absent, empty or damaged: as the day begins.
    RemindAt,
    // "HH:MM": a reminder the evening before for the birthdays of the day after; absent, empty or
    // damaged: none.
    RemindEveningBefore,
};

QString settingName(SettingKey key);
QString settingDefault(SettingKey key);

// The stored text, or the key's default when it was never written.
QString readSetting(SettingKey key);
// A failing write is not reported and never stops the program; the result says whether it stuck.
bool writeSetting(SettingKey key, const QString& text);

// A key by its name, such as one an earlier version kept here: its text, or nothing when absent.
std::optional<QString> readSettingNamed(const QString& name);
void removeSettingNamed(const QString& name);

// Conversions. The readers throw AppError when the stored text does not convert.
int checkBoxValueFromText(const QString& text); // "0" or "1" (blanks allowed around)
int onOffValueFromText(const QString& text);    // 1 exactly for "On"
bool optionValueFromText(const QString& text);  // "True", "False" or a number (non-zero is True)
QString checkBoxText(int value);
QString onOffText(int value);
QString optionText(bool value);

int readCheckBox(SettingKey key);
int readOnOff(SettingKey key);
bool readOption(SettingKey key);
// The alert's five snooze choices, in order; they are always written together.
inline constexpr std::array optionKeys{SettingKey::Option1, SettingKey::Option2, SettingKey::Option3,
                                       SettingKey::Option4, SettingKey::Option5};
void writeOptions(const std::array<bool, 5>& selected);

// The stored February 29 choice, put in force for every date the program works out.
void applyLeapDaySetting();

struct ReminderTimes;
ReminderTimes readReminderTimes();
QString leapDayText(bool onFebruary28);

} // namespace cw
