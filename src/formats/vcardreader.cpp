#include "formats/vcardreader.h"

#include "formats/codepage1252.h"
#include "formats/textfile.h"

#include <QBuffer>
#include <QDate>
#include <QStringDecoder>

namespace cw {

namespace {
// Photos are skipped without being held; a kept property (a name, a birthday) longer than keptLimit
// makes its card unreadable rather than filling memory.
constexpr qsizetype keptLimit = 4 << 20;

bool isKeptName(QByteArrayView name) {
    for (const char* kept : {"BEGIN", "END", "FN", "N", "ORG", "BDAY", "UID"})
        if (name.compare(kept, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Where the name and parameters end: the first colon outside double quotes.
qsizetype headEnd(QByteArrayView line) {
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted)
            return i;
    }
    return -1;
}

// The pieces of a head split at semicolons outside double quotes.
QList<QByteArrayView> splitHead(QByteArrayView head) {
    QList<QByteArrayView> parts;
    bool quoted = false;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= head.size(); ++i) {
        if (i < head.size() && head[i] == '"')
            quoted = !quoted;
        if (i == head.size() || (head[i] == ';' && !quoted)) {
            parts << head.sliced(start, i - start);
            start = i + 1;
        }
    }
    return parts;
}

// The property name without its group ("item1.BDAY" is BDAY).
QByteArrayView propertyName(QByteArrayView first) {
    const qsizetype dot = first.lastIndexOf('.');
    return dot < 0 ? first : first.sliced(dot + 1);
}

struct Property {
    QByteArray name; // upper case
    QByteArray charset;
    QByteArray valueType; // lower case, empty when not given
    bool quotedPrintable = false;
    QByteArray value;
};

Property parseProperty(QByteArrayView line) {
    Property property;
    const qsizetype colon = headEnd(line);
    if (colon < 0)
        return property;
    const QList<QByteArrayView> parts = splitHead(line.first(colon));
    property.name = propertyName(parts.first()).toByteArray().toUpper();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const qsizetype equals = parts[i].indexOf('=');
        const QByteArray key =
            (equals < 0 ? QByteArrayView() : parts[i].first(equals)).toByteArray().toUpper();
        QByteArray value = parts[i].sliced(equals + 1).toByteArray().trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.sliced(1, value.size() - 2);
        // vCard 2.1 also writes a parameter's value alone: "BDAY;QUOTED-PRINTABLE:".
        if ((key.isEmpty() || key == "ENCODING") && value.toUpper() == "QUOTED-PRINTABLE")
            property.quotedPrintable = true;
        else if (key == "CHARSET")
            property.charset = value;
        else if (key == "VALUE")
            property.valueType = value.toLower();
    }
    property.value = line.sliced(colon + 1).toByteArray();
    return property;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(QByteArrayView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int high = text[i] == '=' && i + 2 < text.size() ? hexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? hexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

QString decodeCharset(const QByteArray& bytes, const QByteArray& charset) {
    const QByteArray name = charset.toLower();
    if (name.isEmpty() || name == "utf-8" || name == "utf8")
        return decodeText(bytes);
    if (name == "windows-1252" || name == "cp1252")
        return fromWindows1252(bytes);
    QStringDecoder decoder(name.constData());
    if (decoder.isValid())
        return decoder.decode(bytes);
    return decodeText(bytes);
}

QString decodedValue(const Property& property) {
    return decodeCharset(property.quotedPrintable ? decodeQuotedPrintable(property.value) : property.value,
                         property.charset);
}

// A text value split at its unescaped semicolons, each piece with \, \; \\ and \n undone.
QStringList textComponents(const QString& value) {
    QStringList components(1);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char(';')) {
            components << QString();
        } else if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar escaped = value[++i];
            if (escaped == QLatin1Char('n') || escaped == QLatin1Char('N'))
                components.last() += QLatin1Char('\n');
            else if (escaped == QLatin1Char(',') || escaped == QLatin1Char(';') ||
                     escaped == QLatin1Char('\\'))
                components.last() += escaped;
            else
                components.last() += c + QString(escaped);
        } else {
            components.last() += c;
        }
    }
    return components;
}

bool allDigits(QStringView text) {
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// The month and day of a BDAY value: YYYY-MM-DD, YYYYMMDD, --MMDD, --MM-DD, or a date-time. The date
// must exist in its year: 1999-02-29 does not.
std::optional<std::pair<int, int>> birthdayDate(const QString& value) {
    QStringView text = QStringView(value).trimmed();
    const qsizetype time = text.indexOf(QLatin1Char('T'), 1, Qt::CaseInsensitive);
    if (time > 0)
        text.truncate(time);
    // Without a year, or in year 0000 (a leap year of the calendar the format uses), February 29 exists.
    int year = 2000;
    if (text.startsWith(QLatin1String("--"))) {
        text = text.sliced(2);
    } else {
        if (text.size() < 4 || !allDigits(text.first(4)))
            return std::nullopt;
        const int given = text.first(4).toInt();
        year = given == 0 ? 2000 : given;
        text = text.sliced(4);
        if (text.startsWith(QLatin1Char('-')))
            text = text.sliced(1);
    }
    QString monthDay = text.toString();
    if (monthDay.size() == 5 && monthDay[2] == QLatin1Char('-'))
        monthDay.remove(2, 1);
    if (monthDay.size() != 4 || !allDigits(monthDay))
        return std::nullopt;
    const int month = monthDay.left(2).toInt();
    const int day = monthDay.right(2).toInt();
    if (!QDate(year, month, day).isValid())
        return std::nullopt;
    return std::make_pair(month, day);
}

bool readsAsDate(const QByteArray& valueType) {
    return valueType.isEmpty() || valueType == "date" || valueType == "date-time" ||
           valueType == "date-and-or-time";
}
} // namespace

struct VCardReader::Card {
    QString formattedName;
    QStringList structuredName; // family; given; ...
    QString organisation;
    QString uid;
    std::optional<std::pair<int, int>> birthday;
    bool broken = false;
    bool badDate = false; // a BDAY date that does not exist, and none that does

    void take(const Property& property) {
        if (property.name == "FN") {
            formattedName = cleanPersonName(textComponents(decodedValue(property)).join(QLatin1Char(';')));
        } else if (property.name == "N") {
            structuredName = textComponents(decodedValue(property));
        } else if (property.name == "ORG") {
            organisation = cleanPersonName(textComponents(decodedValue(property)).first());
        } else if (property.name == "UID") {
            uid = decodedValue(property).trimmed();
        } else if (property.name == "BDAY" && !birthday && readsAsDate(property.valueType)) {
            // Several BDAY lines (alternatives sharing an ALTID) are one birthday: the first that
            // reads as a date.
            const QString value = decodedValue(property);
            birthday = birthdayDate(value);
            badDate = !birthday && !value.trimmed().isEmpty();
        }
    }

    QString name() const {
        if (!formattedName.isEmpty())
            return formattedName;
        QStringList parts;
        for (const int index : {1, 0})
            if (index < structuredName.size() && !cleanPersonName(structuredName[index]).isEmpty())
                parts << cleanPersonName(structuredName[index]);
        if (!parts.isEmpty())
            return parts.join(QLatin1Char(' '));
        return organisation;
    }

    ReadEntry entry() const {
        const QString person = name();
        if (broken || !birthday || person.isEmpty())
            return std::nullopt;
        return BirthdayRecord{person, birthday->first, birthday->second};
    }
};

VCardReader::VCardReader(QIODevice& device) : lines_(device, keptLimit) {}

bool VCardReader::readPhysicalLine() {
    const bool read = lines_.readLine(line_);
    truncated_ = lines_.lineCut();
    return read;
}

bool VCardReader::readLogicalLine() {
    if (!havePhysical_ && !readPhysicalLine())
        return false;
    logical_ = line_;
    bool truncated = truncated_;
    // The name may be folded too: what the property is, is known at the colon.
    qsizetype colon = -1;
    bool kept = true;
    bool quotedPrintable = false;
    for (;;) {
        if (colon < 0 && (colon = headEnd(logical_)) >= 0) {
            const QByteArrayView head = QByteArrayView(logical_).first(colon);
            kept = isKeptName(propertyName(splitHead(head).first()));
            quotedPrintable = head.toByteArray().toUpper().contains("QUOTED-PRINTABLE");
            if (!kept) {
                valueBlank_ = QByteArrayView(logical_).sliced(colon + 1).trimmed().isEmpty();
                logical_.truncate(colon + 1);
            }
        }
        // Folded lines begin with a blank or a tab; quoted-printable text goes on after a final "=".
        const bool softBreak = quotedPrintable && line_.endsWith('=');
        if (!(havePhysical_ = readPhysicalLine()))
            break;
        const bool folded = line_.startsWith(' ') || line_.startsWith('\t');
        if (!folded && !softBreak)
            break;
        const QByteArrayView more =
            folded && !softBreak ? QByteArrayView(line_).sliced(1) : QByteArrayView(line_);
        if (!kept) {
            valueBlank_ = valueBlank_ && more.trimmed().isEmpty();
            continue;
        }
        if (softBreak)
            logical_.chop(1);
        logical_ += more;
        truncated = truncated || truncated_ || logical_.size() > keptLimit;
        if (logical_.size() > keptLimit)
            logical_.truncate(keptLimit);
    }
    if (colon < 0 && !isKeptName(propertyName(splitHead(logical_).first()))) {
        kept = false;
        logical_.clear();
    }
    logicalTruncated_ = kept && truncated;
    return true;
}

bool VCardReader::next(ReadEntry& entry) {
    Card card;
    uid_.clear();
    damaged_ = true;
    bool inCard = beginSeen_;
    beginSeen_ = false;
    int nested = 0;           // cards open inside this one
    bool agentBefore = false; // the line before was an AGENT without a value: a card of its own follows
    while (readLogicalLine()) {
        const Property property = parseProperty(logical_);
        const bool cardBoundary =
            QByteArrayView(property.value).trimmed().compare("VCARD", Qt::CaseInsensitive) == 0;
        const bool begin = property.name == "BEGIN" && cardBoundary;
        const bool end = property.name == "END" && cardBoundary;
        if (!inCard) {
            inCard = begin;
        } else if (nested > 0 || (begin && agentBefore)) {
            nested += begin ? 1 : end ? -1 : 0;
            agentBefore = false;
        } else if (begin) {
            // The card before never ended: it is unreadable, and this line starts the next one.
            beginSeen_ = true;
            entry = std::nullopt;
            return true;
        } else if (end) {
            entry = card.entry();
            uid_ = card.uid;
            damaged_ = card.broken || (card.badDate && !card.birthday);
            return true;
        } else {
            agentBefore = property.name == "AGENT" && valueBlank_;
            card.broken = card.broken || logicalTruncated_;
            card.take(property);
        }
    }
    entry = std::nullopt;
    return inCard;
}

std::vector<ReadEntry> readVCards(const QByteArray& bytes) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    VCardReader reader(buffer);
    std::vector<ReadEntry> entries;
    ReadEntry entry;
    while (reader.next(entry))
        entries.push_back(entry);
    return entries;
}

} // namespace cw
