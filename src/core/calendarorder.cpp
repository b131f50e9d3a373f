#include "core/calendarorder.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace cw {

namespace {
int typeRank(const QVariant& value) {
    if (value.isNull())
        return 0;
    const int type = value.typeId();
    return type == QMetaType::LongLong || type == QMetaType::Double ? 1 : type == QMetaType::QString ? 2 : 3;
}

int compareStored(const QVariant& a, const QVariant& b) {
    const int rankA = typeRank(a);
    const int rankB = typeRank(b);
    if (rankA != rankB)
        return rankA < rankB ? -1 : 1;
    if (rankA == 1) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : y < x ? 1 : 0;
    }
    if (rankA == 2)
        return a.toString().compare(b.toString());
    if (rankA == 3)
        return a.toByteArray().compare(b.toByteArray());
    return 0;
}

// Month and day as one number, when both are whole numbers of a sensible size (all but odd rows).
bool packedDate(const QVariant& month, const QVariant& day, qint64& key) {
    constexpr qlonglong limit = std::numeric_limits<qint32>::max();
    if (month.typeId() != QMetaType::LongLong || day.typeId() != QMetaType::LongLong)
        return false;
    const qlonglong m = month.toLongLong();
    const qlonglong d = day.toLongLong();
    if (m < -limit || m > limit || d < -limit || d > limit)
        return false;
    key = m * (qint64(1) << 32) + d;
    return true;
}
} // namespace

void putInCalendarOrder(std::vector<QVariant>& values, size_t columns, size_t monthColumn, size_t dayColumn) {
    const size_t rowCount = columns ? values.size() / columns : 0;
    const auto cell = [&](size_t row, size_t column) -> const QVariant& {
        return values[row * columns + column];
    };
    std::vector<qint64> keys(rowCount);
    bool packed = true;
    for (size_t row = 0; packed && row < rowCount; ++row)
        packed = packedDate(cell(row, monthColumn), cell(row, dayColumn), keys[row]);
    std::vector<size_t> order(rowCount);
    std::iota(order.begin(), order.end(), size_t(0));
    if (packed) {
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return keys[a] < keys[b]; });
    } else {
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const int byMonth = compareStored(cell(a, monthColumn), cell(b, monthColumn));
            return byMonth != 0 ? byMonth < 0 : compareStored(cell(a, dayColumn), cell(b, dayColumn)) < 0;
        });
    }
    std::vector<QVariant> sorted;
    sorted.reserve(values.size());
    for (const size_t row : order)
        std::move(values.begin() + std::ptrdiff_t(row * columns),
                  values.begin() + std::ptrdiff_t((row + 1) * columns), std::back_inserter(sorted));
    values.swap(sorted);
}

} // namespace cw
