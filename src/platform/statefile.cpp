#include "platform/statefile.h"

#include "platform/plainini.h"
#include "platform/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <array>

namespace cw {

namespace {
QString nameOf(StateKey key) {
    static const std::array<QString, 5> names{
        QStringLiteral("Window Size"), QStringLiteral("Window Position"), QStringLiteral("Last Reminder Day"),
        QStringLiteral("Timed Reminder Day"), QStringLiteral("Evening Reminder Day")};
    return names.at(static_cast<size_t>(key));
}
} // namespace

QString stateFilePath() {
    // A relative path in the variable is to be ignored, as the XDG base directories say.
    QString home = qEnvironmentVariable("XDG_STATE_HOME");
    if (home.isEmpty() || QDir::isRelativePath(home))
        home = QDir::homePath() + QStringLiteral("/.local/state");
    return home + QStringLiteral("/candlewise/state.ini");
}

QString readState(StateKey key) {
    const QString name = nameOf(key);
    {
        const QSettings state(stateFilePath(), plainIniFormat());
        if (state.contains(name))
            return state.value(name).toString();
    }
    const std::optional<QString> old = readSettingNamed(name);
    if (old && writeState(key, *old))
        removeSettingNamed(name);
    return old.value_or(QString());
}

bool writeState(StateKey key, const QString& text) {
    QSettings state(stateFilePath(), plainIniFormat());
    if (state.value(nameOf(key)).toString() == text && state.contains(nameOf(key)))
        return true; // a rewrite waits for the disk
    QDir().mkpath(QFileInfo(stateFilePath()).absolutePath());
    state.setValue(nameOf(key), text);
    state.sync();
    return state.status() == QSettings::NoError;
}

} // namespace cw
