#include "startup/modstartup.h"

#include "app/services.h"
#include "startup/regstuff.h"

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

bool AddToStartup(const QString& executablePath) {
    const QFileInfo executable(executablePath);
    const QString fileName = executableFileName(executable);
    if (fileName.isEmpty())
        return false;
    return RegStuff::SetRunEntry(fileName, executable.absolutePath());
}

bool RemoveFromStartup(const QString& executablePath) {
    const QFileInfo executable(executablePath);
    const QString fileName = executableFileName(executable);
    if (fileName.isEmpty())
        return false;
    return RegStuff::DeleteRunEntry(fileName);
}

bool AddToStartup() {
    return AddToStartup(services().applicationFilePath());
}

bool RemoveFromStartup() {
    return RemoveFromStartup(services().applicationFilePath());
}

} // namespace cw::modStartUp
