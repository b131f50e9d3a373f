#include "cli/module.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace cw {

void* moduleFunction(const char* module, const char* function, QTextStream& err) {
    // Beside the program itself, wherever it was started from or linked to.
    const QString folder =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
    const QByteArray path = QFile::encodeName(folder + u'/' + QLatin1String(module));
    void* handle = dlopen(path.constData(), RTLD_LAZY | RTLD_LOCAL);
    void* found = handle ? dlsym(handle, function) : nullptr;
    if (!found) {
        err << "candlewise: " << dlerror() << '\n';
        err.flush();
    }
    return found;
}

} // namespace cw
