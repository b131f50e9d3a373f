#include "gui/services/listorder.h"

#include <QCollator>

#include <algorithm>
#include <numeric>

namespace cw {

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

namespace {
void sortByPerson(std::vector<int>& shown, const std::vector<ListCells>& rows) {
    QCollator collator; // the user's locale
    std::vector<std::pair<QCollatorSortKey, int>> keyed;
    keyed.reserve(shown.size());
    for (const int row : shown)
        keyed.emplace_back(collator.sortKey(rows[size_t(row)][personColumn]), row);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    for (size_t i = 0; i < keyed.size(); ++i)
        shown[i] = keyed[i].second;
}

void sortByDaysLeft(std::vector<int>& shown, const std::vector<ListCells>& rows) {
    // "Today" reads as 0; an empty cell (a row whose date could not be used) goes last.
    std::vector<int> days(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        bool ok = false;
        const int number = rows[r][daysLeftColumn].toInt(&ok);
        days[r] = ok ? number : rows[r][daysLeftColumn].isEmpty() ? 1000 : 0;
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [&](int a, int b) { return days[size_t(a)] < days[size_t(b)]; });
}
} // namespace

std::vector<int> shownRows(const std::vector<ListCells>& rows, const ListOrder& order,
                           std::vector<QString>& personKeys) {
    std::vector<int> shown;
    const QString wanted = findKey(order.find);
    if (wanted.isEmpty()) {
        shown.resize(rows.size());
        std::iota(shown.begin(), shown.end(), 0);
    } else {
        if (personKeys.size() != rows.size()) {
            personKeys.clear();
            personKeys.reserve(rows.size());
            for (const ListCells& row : rows)
                personKeys.push_back(findKey(row[personColumn]));
        }
        for (size_t r = 0; r < rows.size(); ++r) {
            if (personKeys[r].contains(wanted))
                shown.push_back(static_cast<int>(r));
        }
    }
    if (order.column == personColumn)
        sortByPerson(shown, rows);
    else if (order.column == daysLeftColumn)
        sortByDaysLeft(shown, rows);
    if (order.descending)
        std::reverse(shown.begin(), shown.end());
    return shown;
}

} // namespace cw
