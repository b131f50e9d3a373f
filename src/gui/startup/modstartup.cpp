#include "gui/startup/modstartup.h"

#include "gui/services/services.h"
#include "platform/regstuff.h"

#include <QFileInfo>

namespace cw::modStartUp {

namespace {

// The executable's file name, or empty when there is no such file, like an empty folder listing.
QString executableFileName(const QFileInfo& executable) {
    if (executable.filePath().isEmpty() || !executable.isFile())
        return {};
    return executable.fileName();
}

} // namespace

void AddToStartup(const QString& executablePath) {
    const QFileInfo executable(executablePath);
    RegStuff::SetRunEntry(executableFileName(executable), executable.absolutePath());
}

void RemoveFromStartup(const QString& executablePath) {
    const QFileInfo executable(executablePath);
    RegStuff::DeleteRunEntry(executableFileName(executable), executable.absolutePath());
}

bool IsInStartup(const QString& executablePath) {
    return RegStuff::IsRunEntryInEffect(executableFileName(QFileInfo(executablePath)));
}

void AddToStartup() {
    AddToStartup(services().applicationFilePath());
}

void RemoveFromStartup() {
    RemoveFromStartup(services().applicationFilePath());
}

bool IsInStartup() {
    return IsInStartup(services().applicationFilePath());
}

bool IsTurnedOff() {
    return RegStuff::IsRunEntryTurnedOff(executableFileName(QFileInfo(services().applicationFilePath())));
}

} // namespace cw::modStartUp
