// With arguments the program answers on the command line and needs no display; without them it
// loads the window module beside it and opens the window. Keeping the widget libraries in that
// module spares the command line the time to load them.
#include "app/commandline.h"

#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

#include <dlfcn.h>

namespace {
int runWindow(int argc, char** argv) {
    const QString folder =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absolutePath();
    const QByteArray module = QFile::encodeName(folder + QStringLiteral("/candlewise-window.so"));
    void* handle = dlopen(module.constData(), RTLD_LAZY | RTLD_LOCAL);
    const auto windowMain =
        handle ? reinterpret_cast<int (*)(int, char**)>(dlsym(handle, "candlewiseWindowMain")) : nullptr;
    if (!windowMain) {
        std::fprintf(stderr, "candlewise: %s\n", dlerror());
        return 1;
    }
    return windowMain(argc, argv);
}
} // namespace

int main(int argc, char** argv) {
    if (argc <= 1)
        return runWindow(argc, argv);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return cw::runCommandLine(arguments, out, err);
}
