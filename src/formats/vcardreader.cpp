#include "formats/vcardreader.h"

#include "core/clock.h"
#include "formats/codepage1252.h"
#include "formats/textfile.h"
#include "formats/vcarddate.h"

#include <QBuffer>
#include <QDate>
#include <QStringDecoder>

#include <algorithm>

namespace cw {

namespace {
// Photos are skipped without being held; a kept property (a name, a birthday) longer than keptLimit
// makes its card unreadable rather than filling memory.
constexpr qsizetype keptLimit = 4 << 20;

// The properties that name an anniversary, and the one that names a death, beside vCard 4's own.
constexpr const char* anniversaryNames[] = {"ANNIVERSARY", "X-ANNIVERSARY", "X-EVOLUTION-ANNIVERSARY",
                                            "X-KADDRESSBOOK-X-ANNIVERSARY"};
constexpr const char* deathNames[] = {"DEATHDATE", "X-EVOLUTION-DEATHDATE"};
// Apple's address book keeps further dates in groups: itemN.X-ABDATE, labelled by itemN.X-ABLabel.
constexpr const char appleAnniversary[] = "_$!<Anniversary>!$_";

template <size_t count> bool isOneOf(QByteArrayView name, const char* const (&names)[count]) {
    for (const char* one : names)
        if (name.compare(one, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool isKeptName(QByteArrayView name) {
    constexpr const char* kept[] = {"BEGIN", "END", "FN", "N", "ORG", "BDAY", "UID", "X-ABDATE", "X-ABLABEL"};
    return isOneOf(name, kept) || isOneOf(name, anniversaryNames) || isOneOf(name, deathNames);
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
    QByteArray name;  // upper case
    QByteArray group; // upper case: "ITEM1." of "item1.X-ABDATE"
    QByteArray charset;
    QByteArray valueType; // lower case, empty when not given
    bool quotedPrintable = false;
    bool yearOmitted = false; // Apple's and Nextcloud's word that the year in the value is none
    QByteArray value;
};

Property parseProperty(QByteArrayView line) {
    Property property;
    const qsizetype colon = headEnd(line);
    if (colon < 0)
        return property;
    const QList<QByteArrayView> parts = splitHead(line.first(colon));
    property.name = propertyName(parts.first()).toByteArray().toUpper();
    property.group = parts.first().first(parts.first().size() - property.name.size()).toByteArray().toUpper();
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
        const QByteArray flag = key.isEmpty() ? value.toUpper() : key; // a parameter named alone
        property.yearOmitted =
            property.yearOmitted || flag == "X-APPLE-OMIT-YEAR" || flag == "X-NEXTCLOUD-BC-UNKNOWN-YEAR";
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
    std::optional<CardDate> birthday;
    std::optional<CardDate> anniversary;
    QDate death;
    std::vector<std::pair<QByteArray, CardDate>> appleDates; // by group, until the labels are known
    std::vector<QByteArray> appleAnniversaries;              // the groups labelled anniversary
    bool broken = false;
    bool badDate = false;        // a BDAY date that does not exist, and none that does
    bool badAnniversary = false; // the same of an anniversary
    QDate today = currentClock().today();

    // A date property's value, or nothing with bad set when it is no date at all.
    std::optional<CardDate> dateOf(const Property& property, bool& bad) const {
        const QString value = decodedValue(property);
        std::optional<CardDate> date = cardDate(value, property.yearOmitted, today);
        bad = !date && !value.trimmed().isEmpty();
        return date;
    }

    void take(const Property& property) {
        if (property.name == "FN") {
            formattedName = cleanPersonName(textComponents(decodedValue(property)).join(QLatin1Char(';')));
        } else if (property.name == "N") {
            structuredName = textComponents(decodedValue(property));
        } else if (property.name == "ORG") {
            organisation = cleanPersonName(textComponents(decodedValue(property)).first());
        } else if (property.name == "UID") {
            uid = decodedValue(property).trimmed();
        } else if (property.name == "X-ABLABEL" &&
                   decodedValue(property).trimmed().compare(QLatin1String(appleAnniversary),
                                                            Qt::CaseInsensitive) == 0) {
            appleAnniversaries.push_back(property.group);
        } else if (!readsAsDate(property.valueType)) {
            return;
        } else if (property.name == "BDAY" && !birthday) {
            // Several BDAY lines (alternatives sharing an ALTID) are one birthday: the first that
            // reads as a date.
            birthday = dateOf(property, badDate);
        } else if (isOneOf(property.name, anniversaryNames) && !anniversary) {
            anniversary = dateOf(property, badAnniversary);
        } else if (isOneOf(property.name, deathNames) && !death.isValid()) {
            bool bad = false;
            const std::optional<CardDate> date = dateOf(property, bad);
            if (date && date->year != 0)
                death = QDate(date->year, date->month, date->day);
        } else if (property.name == "X-ABDATE") {
            bool bad = false;
            if (const std::optional<CardDate> date = dateOf(property, bad))
                appleDates.emplace_back(property.group, *date);
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

    ReadEntry entry(const std::optional<CardDate>& date, DateKind kind) const {
        const QString person = name();
        if (broken || !date || person.isEmpty())
            return std::nullopt;
        return BirthdayRecord{person, date->month, date->day, date->year, kind, death};
    }

    // The birthday first, then the anniversary; one empty entry for a card with neither.
    std::vector<ReadEntry> entries() {
        for (const auto& [group, date] : appleDates)
            if (!anniversary && !group.isEmpty() &&
                std::find(appleAnniversaries.begin(), appleAnniversaries.end(), group) !=
                    appleAnniversaries.end())
                anniversary = date;
        std::vector<ReadEntry> all;
        if (birthday || badDate || !(anniversary || badAnniversary))
            all.push_back(entry(birthday, DateKind::Birthday));
        if (anniversary || badAnniversary)
            all.push_back(entry(anniversary, DateKind::Anniversary));
        return all;
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
    entries_.assign(1, std::nullopt);
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
            entries_ = card.entries();
            entry = card.entry(card.birthday, DateKind::Birthday);
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
