#pragma once
// The next birthday of a pass over the list, and the text the label under the list shows for it.
#include "core/daysleft.h"

#include <QString>

namespace cw {

class NextBirthday {
  public:
    // Rows in list order: a birthday today always wins (the last of them), otherwise the first of the
    // nearest. True when this row is now the nearest; the caller keeps which row that is.
    bool take(const DaysLeft& left) {
        if (left.when == DaysLeft::Case::Today || nearestDays_ > left.days) {
            nearestDays_ = left.days;
            return true;
        }
        return false;
    }
    // The label's text, given the name of the row last taken as the nearest.
    QString text(const QString& nearestName) const;

  private:
    int nearestDays_ = 366; // one more than any days left
};

} // namespace cw
