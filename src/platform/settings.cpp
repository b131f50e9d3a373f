#include "platform/settings.h"

#include "core/apperror.h"
#include "core/config.h"
#include "core/daysleft.h"
#include "core/remindertime.h"
#include "platform/plainini.h"

#include <QSettings>

#include <limits>
#include <utility>

namespace cw {

namespace {

struct KeyInfo {
    const char* name;
    const char* defaultText;
};

constexpr std::array<KeyInfo, 19> keys{{
    {"Check1", "1"},
    {"Check2", "0"},
    {"Check4", "0"},
    {"Check5", "0"},
    {"Check6", "0"},
    {"Windows Startup", "Off"},
    {"Minimized", "Off"},
    {"Option1", "1"},
    {"Option2", "0"},
    {"Option3", "0"},
    {"Option4", "0"},
    {"Option5", "0"},
    {"Sort Column", "Month"},
    {"Sort Order", "Ascending"},
    {"Desktop Notifications", "On"},
    {"Catch Up", "On"},
    {"February 29", "March 1"},
    {"Remind At", ""},
    {"Remind Evening Before", ""},
}};

const KeyInfo& info(SettingKey key) {
    return keys.at(static_cast<size_t>(key));
}

class Store {
  public:
    Store() : settings_(plainIniFormat(), QSettings::UserScope, config::makerName) {
        settings_.beginGroup(config::productName);
    }
    QSettings* operator->() { return &settings_; }

  private:
    QSettings settings_;
};

AppError typeMismatch(const QString& text) {
    return AppError(QStringLiteral("Type mismatch: \"%1\" is not a valid setting value").arg(text));
}

} // namespace

QString settingName(SettingKey key) {
    return QLatin1String(info(key).name);
}
QString settingDefault(SettingKey key) {
    return QLatin1String(info(key).defaultText);
}

std::optional<QString> readSettingNamed(const QString& name) {
    Store store;
    const QVariant value = store->value(name);
    if (!value.isValid())
        return std::nullopt;
    // A hand-edited value with a comma comes back as a list; keep its text as written.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

QString readSetting(SettingKey key) {
    return readSettingNamed(settingName(key)).value_or(settingDefault(key));
}

void removeSettingNamed(const QString& name) {
    Store store;
    store->remove(name);
    store->sync();
}

namespace {
// The keys written in order, and the file rewritten once. Values the file holds already are not
// written again: a rewrite waits for the disk, and every start writes back the boxes it has just read.
template <size_t N> bool writeTexts(const std::array<std::pair<SettingKey, QString>, N>& pairs) {
    try {
        Store store;
        bool changed = false;
        for (const auto& [key, text] : pairs) {
            const QVariant stored = store->value(settingName(key));
            if (stored.typeId() == QMetaType::QString && stored.toString() == text)
                continue;
            store->setValue(settingName(key), text);
            changed = true;
        }
        if (!changed)
            return true;
        store->sync();
        return store->status() == QSettings::NoError;
    } catch (...) {
        return false;
    }
}
} // namespace

bool writeSetting(SettingKey key, const QString& text) {
    return writeTexts(std::array{std::pair{key, text}});
}

int checkBoxValueFromText(const QString& text) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    if (!ok || number < std::numeric_limits<qint16>::min() || number > std::numeric_limits<qint16>::max())
        throw typeMismatch(text);
    if (number != 0 && number != 1)
        throw AppError(QStringLiteral("Invalid property value: %1").arg(number));
    return number;
}

int onOffValueFromText(const QString& text) {
    return text == QLatin1String("On") ? 1 : 0;
}

bool optionValueFromText(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    if (!ok)
        throw typeMismatch(text);
    return number != 0.0;
}

QString checkBoxText(int value) {
    return QString::number(value);
}
QString onOffText(int value) {
    return value == 1 ? QStringLiteral("On") : QStringLiteral("Off");
}
QString optionText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

int readCheckBox(SettingKey key) {
    return checkBoxValueFromText(readSetting(key));
}
int readOnOff(SettingKey key) {
    return onOffValueFromText(readSetting(key));
}
bool readOption(SettingKey key) {
    return optionValueFromText(readSetting(key));
}

void writeOptions(const std::array<bool, 5>& selected) {
    std::array<std::pair<SettingKey, QString>, optionKeys.size()> pairs;
    for (size_t i = 0; i < optionKeys.size(); ++i)
        pairs[i] = {optionKeys[i], optionText(selected[i])};
    writeTexts(pairs);
}

QString leapDayText(bool onFebruary28) {
    return onFebruary28 ? QStringLiteral("February 28") : QStringLiteral("March 1");
}

void applyLeapDaySetting() {
    setLeapDayRule(readSetting(SettingKey::LeapDay).trimmed() == leapDayText(true) ? LeapDayRule::February28
                                                                                   : LeapDayRule::March1);
}

ReminderTimes readReminderTimes() {
    return {timeOfDayFromText(readSetting(SettingKey::RemindAt)),
            timeOfDayFromText(readSetting(SettingKey::RemindEveningBefore))};
}

} // namespace cw
