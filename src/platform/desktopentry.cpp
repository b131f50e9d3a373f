#include "platform/desktopentry.h"

#include <QList>

namespace cw {

QString quotedExecArgument(const QString& argument) {
    // Inside double quotes these four must be escaped; '%' would start a field code.
    QString quoted = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        else if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    quoted += u'"';

    // The key file reads its own escapes before the quoting is looked at.
    QString value;
    for (const QChar c : quoted) {
        if (c == u'\\')
            value += QStringLiteral("\\\\");
        else if (c == u'\n')
            value += QStringLiteral("\\n");
        else if (c == u'\t')
            value += QStringLiteral("\\t");
        else if (c == u'\r')
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}

QString autostartEntryText(const QString& executablePath, bool hidden) {
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Candlewise Software\n"
                          "Exec=") +
           quotedExecArgument(executablePath) + u'\n' +
           (hidden ? QStringLiteral("Hidden=true\n") : QString());
}

bool isEntryOff(const QByteArray& text) {
    bool inMainGroup = false;
    for (const QByteArray& rawLine : text.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('[')) {
            inMainGroup = line == "[Desktop Entry]";
        } else if (inMainGroup && equals > 0) {
            // The desktop's own reader (GLib's key file) also takes 1 and 0 for true and false.
            const QByteArray key = line.left(equals).trimmed();
            const QByteArray value = line.mid(equals + 1).trimmed();
            if ((key == "Hidden" && (value == "true" || value == "1")) ||
                (key == "X-GNOME-Autostart-enabled" && (value == "false" || value == "0")))
                return true;
        }
    }
    return false;
}

} // namespace cw
