#include "gui/services/personorder.h"

#include <QCollator>

#include <algorithm>
#include <bit>
#include <thread>

namespace cw {

namespace {
// Rows from..to with their sort keys in the user's locale, in the order of the keys; rows with
// equal names keep list order.
struct NamesInOrder {
    std::vector<QCollatorSortKey> keys; // of rows from..to, by row
    std::vector<int> rows;
};

NamesInOrder keyedAndSorted(const BirthdayList& list, size_t from, size_t to) {
    NamesInOrder sorted;
    QCollator collator;
    sorted.keys.reserve(to - from);
    for (size_t row = from; row < to; ++row)
        sorted.keys.push_back(collator.sortKey(list.person(row)));
    sorted.rows.resize(to - from);
    for (size_t i = 0; i < sorted.rows.size(); ++i)
        sorted.rows[i] = static_cast<int>(i);
    std::stable_sort(sorted.rows.begin(), sorted.rows.end(), [&](int a, int b) {
        return sorted.keys[size_t(a)].compare(sorted.keys[size_t(b)]) < 0;
    });
    return sorted;
}

// Rows found by id in a table of their own.
class RowsById {
  public:
    explicit RowsById(const BirthdayList& list)
        : list_(list), slots_(std::bit_ceil(2 * list.size() + 2), -1),
          shift_(64 - std::countr_zero(slots_.size())) {
        for (size_t row = 0; row < list.size(); ++row) {
            size_t slot = slotOf(list.id(row));
            while (slots_[slot] >= 0)
                slot = (slot + 1) & (slots_.size() - 1);
            slots_[slot] = static_cast<int>(row);
        }
    }
    int find(qint64 id) const {
        for (size_t slot = slotOf(id);; slot = (slot + 1) & (slots_.size() - 1)) {
            if (slots_[slot] < 0 || list_.id(size_t(slots_[slot])) == id)
                return slots_[slot];
        }
    }

  private:
    size_t slotOf(qint64 id) const { return size_t((quint64(id) * 0x9E3779B97F4A7C15ULL) >> shift_); }
    const BirthdayList& list_;
    std::vector<int> slots_;
    int shift_;
};
} // namespace

std::vector<int> sortedByName(const BirthdayList& list) {
    // The sort keys are most of the work: each half of the list is keyed and sorted on a thread of
    // its own, and the halves merged, the first half winning ties so equal names keep list order.
    const size_t half = list.size() / 2;
    NamesInOrder second;
    std::thread helper([&] { second = keyedAndSorted(list, half, list.size()); });
    const NamesInOrder first = keyedAndSorted(list, 0, half);
    helper.join();
    // Positions in the second half are told apart by adding the half's start.
    const int start = static_cast<int>(half);
    for (int& row : second.rows)
        row += start;
    std::vector<int> order(list.size());
    std::merge(first.rows.begin(), first.rows.end(), second.rows.begin(), second.rows.end(), order.begin(),
               [&](int a, int b) {
                   const QCollatorSortKey& x =
                       a < start ? first.keys[size_t(a)] : second.keys[size_t(a - start)];
                   const QCollatorSortKey& y =
                       b < start ? first.keys[size_t(b)] : second.keys[size_t(b - start)];
                   return x.compare(y) < 0;
               });
    return order;
}

bool carryNameOrder(const BirthdayList& before, const std::vector<int>& orderBefore, const BirthdayList& now,
                    std::vector<int>& order) {
    // Each row put in afresh costs some twenty comparisons in the locale; past a fiftieth of the list,
    // a sort of its own is quicker.
    if (orderBefore.size() != before.size())
        return false;
    const RowsById rowsOf(now);
    std::vector<char> placed(now.size());
    std::vector<int> kept;
    kept.reserve(now.size());
    for (const int old : orderBefore) {
        const int row = rowsOf.find(before.id(size_t(old)));
        if (row >= 0 && before.personBytes(size_t(old)) == now.personBytes(size_t(row))) {
            kept.push_back(row);
            placed[size_t(row)] = 1;
        }
    }
    if ((now.size() - kept.size()) * 50 > now.size())
        return false;
    // Equal names keep list order, and a changed date may have moved one row past another.
    for (auto run = kept.begin(); run != kept.end();) {
        const QByteArrayView name = now.personBytes(size_t(*run));
        const auto end =
            std::find_if(run, kept.end(), [&](int row) { return now.personBytes(size_t(row)) != name; });
        std::sort(run, end);
        run = end;
    }
    const QCollator collator;
    const auto goesBefore = [&](int a, int b) { // a goes before b
        const int byName = collator.compare(now.person(size_t(a)), now.person(size_t(b)));
        return byName < 0 || (byName == 0 && a < b);
    };
    std::vector<int> added;
    for (size_t row = 0; row < now.size(); ++row) {
        if (!placed[row])
            added.push_back(static_cast<int>(row));
    }
    std::sort(added.begin(), added.end(), goesBefore);
    order.clear();
    order.reserve(now.size());
    auto from = kept.begin();
    for (const int row : added) {
        const auto at = std::lower_bound(from, kept.end(), row, goesBefore);
        order.insert(order.end(), from, at);
        order.push_back(row);
        from = at;
    }
    order.insert(order.end(), from, kept.end());
    return true;
}

} // namespace cw
