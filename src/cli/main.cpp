// With arguments of its own the program answers on the command line and needs no display; without
// them, also with Qt's options alone, it loads the window module beside it and opens the window.
// Keeping the widget libraries in that module spares the command line the time to load them.
#include "cli/commandline.h"
#include "cli/module.h"
#include "core/nodisplay.h"

#include <QTextStream>

#include <cstdio>

namespace {
int runWindow(int argc, char** argv) {
    QTextStream err(stderr);
    const auto windowMain =
        cw::loadModule<int(int, char**)>("candlewise-window.so", "candlewiseWindowMain", err);
    return windowMain ? windowMain(argc, argv) : 1;
}

// Whether the window has somewhere to appear. Qt's X11 and Wayland platforms, also its default
// choice between them, need a display named in the environment or by -display; the others
// (offscreen, vnc, eglfs, ...) need none. Checked here, Qt's fatal error and its core dump never come.
bool displayNamed(const QHash<QString, QString>& qtOptions) {
    const QString platforms = qtOptions.contains(QStringLiteral("platform"))
                                  ? qtOptions.value(QStringLiteral("platform"))
                                  : qEnvironmentVariable("QT_QPA_PLATFORM");
    for (const QString& platform : platforms.split(u';', Qt::SkipEmptyParts)) {
        if (!platform.startsWith(QLatin1String("xcb"), Qt::CaseInsensitive) &&
            !platform.startsWith(QLatin1String("wayland"), Qt::CaseInsensitive))
            return true;
    }
    return qtOptions.contains(QStringLiteral("display")) || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}
} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const cw::StartArguments start = cw::splitArguments(arguments);
    if (start.rest.size() > 1) {
        QTextStream out(stdout);
        QTextStream err(stderr);
        return cw::runCommandLine(start.rest, out, err);
    }
    if (!displayNamed(start.qtOptions)) {
        std::fputs(cw::noDisplayText, stderr);
        return 1;
    }
    return runWindow(argc, argv);
}
