#include "platform/plainini.h"

#include <QIODevice>
#include <QStringList>

#include <map>

namespace cw {

namespace {

bool isPlainKeyChar(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
           c == u'-' || c == u'.';
}

// Keys and section names as Qt's INI files spell them: "%20" for a blank, "%U00E9" beyond Latin-1.
QString encodeKey(const QString& key) {
    QString encoded;
    for (QChar c : key) {
        if (isPlainKeyChar(c))
            encoded += c;
        else if (c.unicode() < 256)
            encoded += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            encoded += QStringLiteral("%U%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
    }
    return encoded;
}

QString decodeKey(const QString& text) {
    QString decoded;
    for (qsizetype i = 0; i < text.size(); ++i) {
        bool ok = false;
        if (text[i] == u'%' && i + 5 < text.size() && text[i + 1] == u'U') {
            const ushort code = text.mid(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                decoded += QChar(code);
                i += 5;
                continue;
            }
        }
        if (text[i] == u'%' && i + 2 < text.size()) {
            const ushort code = text.mid(i + 1, 2).toUShort(&ok, 16);
            if (ok) {
                decoded += QChar(code);
                i += 2;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}

// A value in double quotes keeps its blanks; backslash escapes inside are taken as written.
QString decodeValue(const QString& text) {
    if (text.size() < 2 || !text.startsWith(u'"') || !text.endsWith(u'"'))
        return text;
    QString value;
    for (qsizetype i = 1; i < text.size() - 1; ++i) {
        if (text[i] == u'\\' && i + 1 < text.size() - 1)
            ++i;
        value += text[i];
    }
    return value;
}

QString encodeValue(const QString& value) {
    const bool plain = value.trimmed() == value && !value.contains(u'"') && !value.contains(u'\\') &&
                       !value.contains(u';') && !value.contains(u',') && !value.startsWith(u'@');
    if (plain)
        return value;
    QString quoted = QStringLiteral("\"");
    for (QChar c : value) {
        if (c == u'"' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

} // namespace

bool readPlainIni(QIODevice& device, QSettings::SettingsMap& map) {
    QString section;
    const QStringList lines = QString::fromUtf8(device.readAll()).split(u'\n');
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            section = decodeKey(line.mid(1, line.size() - 2).trimmed());
            if (section.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0)
                section.clear();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = decodeKey(line.left(equals).trimmed());
        const QString value = decodeValue(line.mid(equals + 1).trimmed());
        map.insert(section.isEmpty() ? key : section + u'/' + key, value);
    }
    return true;
}

bool writePlainIni(QIODevice& device, const QSettings::SettingsMap& map) {
    std::map<QString, QStringList> sections;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const qsizetype slash = it.key().indexOf(u'/');
        const QString section = slash < 0 ? QStringLiteral("General") : it.key().left(slash);
        const QString key = slash < 0 ? it.key() : it.key().mid(slash + 1);
        sections[section] << encodeKey(key) + u'=' + encodeValue(it.value().toString());
    }
    QString text;
    for (const auto& [section, lines] : sections) {
        if (!text.isEmpty())
            text += u'\n';
        text += u'[' + encodeKey(section) + QStringLiteral("]\n") + lines.join(u'\n') + u'\n';
    }
    const QByteArray bytes = text.toUtf8();
    return device.write(bytes) == bytes.size();
}

QSettings::Format plainIniFormat() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("ini"), readPlainIni, writePlainIni);
    return format;
}

} // namespace cw
