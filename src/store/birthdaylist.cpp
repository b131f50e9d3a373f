#include "store/birthdaylist.h"

#include "core/age.h"
#include "core/apperror.h"
#include "core/statements.h"
#include "store/connection.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>

#include <sqlite3.h>

namespace cw {

namespace {
int columnNamed(sqlite3_stmt* statement, const char* name) {
    for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        if (sqlite3_stricmp(sqlite3_column_name(statement, c), name) == 0)
            return c;
    }
    throw AppError(
        QStringLiteral("Item cannot be found in the collection corresponding to the requested name: %1")
            .arg(QLatin1String(name)));
}

QByteArrayView textOf(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return QByteArrayView(text, sqlite3_value_bytes(value));
}

QVariant valueOf(sqlite3_value* value) {
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_value_int64(value)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_value_double(value));
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_BLOB:
        return QVariant(textOf(value).toByteArray());
    default:
        return QVariant(QString::fromUtf8(textOf(value)));
    }
}

// The list query asks the engine to sort. The reader asks for the rows as they lie in the file and
// puts them in the same order itself: the engine's sort was most of the time a long list took to read.
QByteArray unsortedListQuery() {
    const QString query = statements::listQuery();
    return query.left(query.indexOf(QLatin1String(" order by "), 0, Qt::CaseInsensitive)).toUtf8();
}

// Bytes read as text, as every reader of the list has always taken them.
QVariant asText(const QVariant& value) {
    return value.typeId() == QMetaType::QByteArray ? QVariant(QString::fromUtf8(value.toByteArray())) : value;
}

// The engine's order of stored values: no value, then numbers, then texts, then bytes.
int typeRank(const QVariant& value) {
    if (value.isNull())
        return 0;
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Double:
        return 1;
    case QMetaType::QString:
        return 2;
    default:
        return 3;
    }
}

// Every row's extras in the order of their rows' ids; none for a store without the table.
struct ExtrasById {
    std::vector<qint64> ids;
    std::vector<DateExtras> extras;
    size_t cursor = 0;
    qint64 last = std::numeric_limits<qint64>::min();

    explicit ExtrasById(Connection& connection) {
        if (!hasDateExtras(connection))
            return;
        const PreparedStatement prepared = connection.prepare(QByteArray(dateExtrasQuery()));
        sqlite3_stmt* statement = prepared.get();
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            const auto* death = reinterpret_cast<const char*>(sqlite3_column_text(statement, 3));
            ids.push_back(sqlite3_column_int64(statement, 0));
            extras.push_back(
                {static_cast<int>(sqlite3_column_int(statement, 1)),
                 sqlite3_column_int(statement, 2) == 1 ? DateKind::Anniversary : DateKind::Birthday,
                 death ? deathFromText(QByteArrayView(death, sqlite3_column_bytes(statement, 3))) : QDate()});
        }
        if (rc != SQLITE_DONE)
            throwEngineError(connection.handle(), rc);
    }

    // The rows come in the order of their ids, so the search walks on from the last one.
    const DateExtras* find(qint64 id) {
        if (ids.empty())
            return nullptr;
        if (id < last)
            cursor = size_t(std::lower_bound(ids.begin(), ids.end(), id) - ids.begin());
        last = id;
        while (cursor < ids.size() && ids[cursor] < id)
            ++cursor;
        return cursor < ids.size() && ids[cursor] == id ? &extras[cursor] : nullptr;
    }
};

bool fitsTheRule(qint64 value) {
    return value >= std::numeric_limits<qint16>::min() && value <= std::numeric_limits<qint16>::max();
}
} // namespace

BirthdayList BirthdayList::read(Connection& connection, size_t expectedRows, const DateFilter& keep) {
    const PreparedStatement prepared = connection.prepare(unsortedListQuery());
    if (!prepared)
        throw AppError(QStringLiteral("Command text was not set for the command object."));
    sqlite3_stmt* statement = prepared.get();
    const int id = columnNamed(statement, "id");
    const int person = columnNamed(statement, "Person");
    const int month = columnNamed(statement, "BirthMonth");
    const int day = columnNamed(statement, "BirthDay");
    ExtrasById extras(connection);
    BirthdayList list;
    list.rows_.reserve(expectedRows);
    list.names_.reserve(qsizetype(expectedRows * 16));
    // Each field is fetched once as a value and read from there: every column call of the engine's
    // interface costs as much again.
    const auto storedAt = [&](sqlite3_value* value) {
        if (sqlite3_value_type(value) == SQLITE_INTEGER)
            return StoredNumber{sqlite3_value_int64(value), true};
        return list.keep(valueOf(value));
    };
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        sqlite3_value* monthValue = sqlite3_column_value(statement, month);
        sqlite3_value* dayValue = sqlite3_column_value(statement, day);
        if (keep && sqlite3_value_type(monthValue) == SQLITE_INTEGER &&
            sqlite3_value_type(dayValue) == SQLITE_INTEGER &&
            !keep(sqlite3_value_int64(monthValue), sqlite3_value_int64(dayValue)))
            continue;
        const auto nameStart = static_cast<quint32>(list.names_.size());
        sqlite3_value* name = sqlite3_column_value(statement, person);
        switch (sqlite3_value_type(name)) {
        case SQLITE_NULL:
            break;
        case SQLITE_FLOAT:
            list.appendName(QVariant(sqlite3_value_double(name)).toString().toUtf8());
            break;
        default:
            list.appendName(textOf(name));
        }
        const qint64 rowId = sqlite3_value_int64(sqlite3_column_value(statement, id));
        list.rows_.push_back({rowId, nameStart, static_cast<quint32>(list.names_.size()) - nameStart,
                              storedAt(monthValue), storedAt(dayValue)});
        if (const DateExtras* found = extras.find(rowId))
            list.attach(list.rows_.back(), *found);
    }
    if (rc != SQLITE_DONE)
        throwEngineError(connection.handle(), rc);
    list.putInListOrder();
    return list;
}

void BirthdayList::attach(Row& row, const DateExtras& extras) {
    if (extras.plain())
        return;
    row.extra = static_cast<qint32>(extras_.size());
    extras_.push_back(extras);
    anyYear_ = anyYear_ || extras.year != 0;
}

int BirthdayList::yearsTurning(size_t row, const QDate& today, int daysLeft) const {
    const DateExtras& known = extras(row);
    return known.year == 0 ? 0 : yearsOn(known.year, today.addDays(daysLeft), known.death);
}

void BirthdayList::add(qint64 id, const QString& person, const QVariant& month, const QVariant& day,
                       const DateExtras& extras) {
    const auto nameStart = static_cast<quint32>(names_.size());
    appendName(person.toUtf8());
    const auto number = [&](const QVariant& value) {
        return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int
                   ? StoredNumber{value.toLongLong(), true}
                   : keep(value);
    };
    rows_.push_back(
        {id, nameStart, static_cast<quint32>(names_.size()) - nameStart, number(month), number(day)});
    attach(rows_.back(), extras);
}

StoredNumber BirthdayList::keep(const QVariant& value) {
    odd_.push_back(value);
    return {static_cast<qint64>(odd_.size() - 1), false};
}

void BirthdayList::appendName(QByteArrayView name) {
    if (names_.size() + name.size() > std::numeric_limits<quint32>::max())
        throw AppError(QStringLiteral("The birthday list is too large to read."));
    names_.append(name);
}

QVariant BirthdayList::stored(const StoredNumber& number) const {
    return number.whole ? QVariant(static_cast<qlonglong>(number.value)) : odd_[size_t(number.value)];
}

QString BirthdayList::text(const StoredNumber& number) const {
    return number.whole ? QString::number(number.value) : asText(stored(number)).toString();
}

int BirthdayList::number(const StoredNumber& stored) const {
    if (stored.whole && fitsTheRule(stored.value))
        return static_cast<int>(stored.value);
    return storedNumber(asText(this->stored(stored)));
}

DaysLeft BirthdayList::daysLeft(size_t row, const QDate& today) const {
    const Row& r = rows_[row];
    if (r.monthWhole && r.dayWhole && fitsTheRule(r.monthValue) && fitsTheRule(r.dayValue))
        return cw::daysLeft(static_cast<int>(r.monthValue), static_cast<int>(r.dayValue), today);
    return cw::daysLeft(asText(stored(r.month())), asText(stored(r.day())), today);
}

int BirthdayList::compareStored(const StoredNumber& a, const StoredNumber& b) const {
    if (a.whole && b.whole)
        return a.value < b.value ? -1 : b.value < a.value ? 1 : 0;
    const QVariant x = stored(a);
    const QVariant y = stored(b);
    const int rankX = typeRank(x);
    const int rankY = typeRank(y);
    if (rankX != rankY)
        return rankX < rankY ? -1 : 1;
    if (rankX == 1) {
        const double p = x.toDouble();
        const double q = y.toDouble();
        return p < q ? -1 : q < p ? 1 : 0;
    }
    if (rankX == 2) // the engine compares texts byte by byte
        return x.toString().toUtf8().compare(y.toString().toUtf8());
    if (rankX == 3)
        return x.toByteArray().compare(y.toByteArray());
    return 0;
}

void BirthdayList::putInListOrder() {
    // Real dates, which are all but odd rows, go by a counting sort over month and day; any other
    // value makes it a comparison sort. Both keep rows of one date in the order they came in.
    constexpr int days = 32;
    const auto bucket = [&](const Row& row) {
        return row.monthWhole && row.dayWhole && row.monthValue >= 1 && row.monthValue <= 12 &&
                       row.dayValue >= 0 && row.dayValue < days
                   ? static_cast<int>(row.monthValue * days + row.dayValue)
                   : -1;
    };
    std::vector<Row> sorted(rows_.size());
    std::array<size_t, 13 * days + 1> starts{};
    const bool counted = std::all_of(rows_.begin(), rows_.end(), [&](const Row& row) {
        const int b = bucket(row);
        if (b >= 0)
            ++starts[size_t(b) + 1];
        return b >= 0;
    });
    if (counted) {
        std::partial_sum(starts.begin(), starts.end(), starts.begin());
        for (const Row& row : rows_)
            sorted[starts[size_t(bucket(row))]++] = row;
    } else {
        std::vector<size_t> order(rows_.size());
        std::iota(order.begin(), order.end(), size_t(0));
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const int byMonth = compareStored(rows_[a].month(), rows_[b].month());
            return byMonth != 0 ? byMonth < 0 : compareStored(rows_[a].day(), rows_[b].day()) < 0;
        });
        for (size_t i = 0; i < order.size(); ++i)
            sorted[i] = rows_[order[i]];
    }
    rows_.swap(sorted);
}

} // namespace cw
