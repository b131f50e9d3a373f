// Any text as a stored settings value, and any bytes as the settings file itself. Reading never
// crashes: a value either converts to a box or option state or throws AppError, and what the program
// writes always reads back as the same state.
#include "core/apperror.h"
#include "platform/settings.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QString& text) {
    std::fprintf(stderr, "%s: %s\n", what, text.toUtf8().constData());
    std::abort();
}

void checkConversions(const QString& text) {
    try {
        const int value = cw::checkBoxValueFromText(text);
        if (value != 0 && value != 1)
            fail("a box value other than 0 or 1", text);
        if (cw::checkBoxValueFromText(cw::checkBoxText(value)) != value)
            fail("a box value that does not read back", text);
    } catch (const cw::AppError&) {
    }
    const int onOff = cw::onOffValueFromText(text);
    if (onOff != (text == QLatin1String("On") ? 1 : 0))
        fail("On/Off read wrongly", text);
    if (cw::onOffValueFromText(cw::onOffText(onOff)) != onOff)
        fail("On/Off does not read back", text);
    try {
        const bool option = cw::optionValueFromText(text);
        if (cw::optionValueFromText(cw::optionText(option)) != option)
            fail("an option that does not read back", text);
    } catch (const cw::AppError&) {
    }
}

// The settings file lives in a folder of its own for the whole run.
QString settingsFolder() {
    static QTemporaryDir dir;
    static const bool ready = [] {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        return true;
    }();
    (void)ready;
    return dir.path();
}

void checkSettingsFile(const QByteArray& bytes) {
    const QString path = settingsFolder() + QStringLiteral("/Marrowfen.ini");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write("[Candlewise%20Software]\n");
    file.write(bytes);
    file.close();
    for (int key = 0; key < 12; ++key) {
        const auto settingKey = static_cast<cw::SettingKey>(key);
        const QString text = cw::readSetting(settingKey);
        checkConversions(text);
        try {
            if (key < 5)
                cw::readCheckBox(settingKey);
            else if (key < 7)
                cw::readOnOff(settingKey);
            else
                cw::readOption(settingKey);
        } catch (const cw::AppError&) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QByteArray rest(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    // The first byte chooses: an odd one takes the rest as a settings file, an even one as a value.
    if (data[0] & 1)
        checkSettingsFile(rest);
    else
        checkConversions(QString::fromUtf8(rest));
    return 0;
}
