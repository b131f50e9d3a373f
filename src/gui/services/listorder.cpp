#include "gui/services/listorder.h"

#include "gui/services/personorder.h"

#include <algorithm>
#include <numeric>

namespace cw {

namespace {
// The small whole numbers of days and months share their texts instead of making one per cell.
QString numberText(qint64 number) {
    static const std::array<QString, 366> numbers = [] {
        std::array<QString, 366> texts;
        for (size_t n = 0; n < texts.size(); ++n)
            texts[n] = QString::number(n);
        return texts;
    }();
    if (number >= 0 && number < static_cast<qint64>(numbers.size()))
        return numbers[static_cast<size_t>(number)];
    return QString::number(number);
}

QString storedText(const BirthdayList& list, const StoredNumber& number) {
    return number.whole ? numberText(number.value) : list.text(number);
}

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<uchar>(c) < 0x80; });
}

} // namespace

QString ListedRows::cell(size_t row, int column) const {
    switch (column) {
    case idColumn:
        return QString::number(rows->id(row));
    case personColumn:
        // The stored name stays bare: finding, sorting and the commands go by it.
        return rows->extras(row).kind == DateKind::Anniversary
                   ? rows->person(row) + QStringLiteral(" (anniversary)")
                   : rows->person(row);
    case monthColumn:
        return monthName[row] >= 0 ? monthNames[size_t(monthName[row])] : QString();
    case dayColumn:
        return storedText(*rows, rows->day(row));
    case daysLeftColumn:
        return daysLeft[row] < 0    ? QString()
               : daysLeft[row] == 0 ? QStringLiteral("Today")
                                    : numberText(daysLeft[row]);
    case monthNoColumn:
        return storedText(*rows, rows->month(row));
    case ageColumn:
        return row < ages.size() && ages[row] > 0 ? numberText(ages[row]) : QString();
    default:
        return {};
    }
}

QString findKey(const QString& text) {
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString key;
    key.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing && c.category() != QChar::Mark_Enclosing)
            key += c;
    }
    return key.toCaseFolded();
}

void ListFilter::forget() {
    keys_.clear();
    keyEnds_.clear();
    matchedFind_.clear();
    matched_.clear();
}

const std::vector<int>& ListFilter::byPerson(const ListedRows& rows) {
    if (orderedList_ == rows.rows)
        return byPerson_;
    if (!orderedList_ || !carryNameOrder(*orderedList_, byPerson_, *rows.rows, byPerson_))
        byPerson_ = sortedByName(*rows.rows);
    orderedList_ = rows.rows;
    return byPerson_;
}

void ListFilter::matchFind(const ListedRows& rows, const QString& wanted) {
    const BirthdayList& list = *rows.rows;
    if (keyEnds_.size() != list.size()) {
        keys_.clear();
        keyEnds_.clear();
        keyEnds_.reserve(list.size());
        for (size_t row = 0; row < list.size(); ++row) {
            const QByteArrayView name = list.personBytes(row);
            if (isAscii(name)) { // most names: the key is the name in lower case
                for (const char c : name)
                    keys_ += QChar(QLatin1Char(c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c));
            } else {
                keys_ += findKey(QString::fromUtf8(name));
            }
            keyEnds_.push_back(static_cast<quint32>(keys_.size()));
        }
        matched_.clear();
    }
    // A longer find matches only rows that the shorter one did: only those are looked at again.
    const bool narrowing =
        !matchedFind_.isEmpty() && matched_.size() == list.size() && wanted.contains(matchedFind_);
    matched_.resize(list.size(), 1);
    const QStringView keys(keys_);
    quint32 start = 0;
    for (size_t row = 0; row < list.size(); ++row) {
        if (!narrowing || matched_[row])
            matched_[row] = keys.sliced(start, keyEnds_[row] - start).contains(wanted);
        start = keyEnds_[row];
    }
    matchedFind_ = wanted;
}

std::vector<int> ListFilter::shownRows(const ListedRows& rows, const ListOrder& order) {
    const QString wanted = findKey(order.find);
    if (!wanted.isEmpty())
        matchFind(rows, wanted);
    const auto shows = [&](int row) { return wanted.isEmpty() || matched_[size_t(row)]; };
    std::vector<int> shown;
    shown.reserve(rows.size());
    if (order.column == personColumn) {
        for (const int row : byPerson(rows)) {
            if (shows(row))
                shown.push_back(row);
        }
    } else if (order.column == daysLeftColumn) {
        // Soonest first, by counting: "Today" is 0, and a row without days left goes last.
        const auto dayOf = [&](size_t row) {
            return rows.daysLeft[row] < 0 ? 366 : size_t(rows.daysLeft[row]);
        };
        std::array<size_t, 368> starts{};
        for (size_t row = 0; row < rows.size(); ++row) {
            if (shows(int(row)))
                ++starts[dayOf(row) + 1];
        }
        std::partial_sum(starts.begin(), starts.end(), starts.begin());
        shown.resize(starts.back());
        for (size_t row = 0; row < rows.size(); ++row) {
            if (shows(int(row)))
                shown[starts[dayOf(row)]++] = int(row);
        }
    } else {
        for (size_t row = 0; row < rows.size(); ++row) {
            if (shows(int(row)))
                shown.push_back(int(row));
        }
        if (order.column == ageColumn && !rows.ages.empty()) {
            // Youngest first; rows without an age go last, each group in calendar order.
            const auto ageOf = [&](int row) {
                return rows.ages[size_t(row)] > 0 ? rows.ages[size_t(row)] : 0x7fff;
            };
            std::stable_sort(shown.begin(), shown.end(), [&](int a, int b) { return ageOf(a) < ageOf(b); });
        }
    }
    if (order.descending)
        std::reverse(shown.begin(), shown.end());
    return shown;
}

} // namespace cw
