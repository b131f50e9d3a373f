#pragma once
// The settings file in INI form, every value read as the plain text it is. Qt's own INI reader
// decodes "@Variant(...)" values as serialised data, and a damaged one can ask for gigabytes; our
// values are only ever short texts, so nothing in the file is decoded beyond its escapes.
#include <QSettings>

namespace cw {

QSettings::Format plainIniFormat();

// The file's text, as read into the settings map and written from it.
bool readPlainIni(QIODevice& device, QSettings::SettingsMap& map);
bool writePlainIni(QIODevice& device, const QSettings::SettingsMap& map);

} // namespace cw
