#pragma once
// The next birthday of a pass over the list, and the text the label under the list shows for it.
#include "core/daysleft.h"

#include <QString>

namespace cw {

class NextBirthday {
  public:
    // Rows in list order: a birthday today always wins (the last of them), otherwise the first of the
    // nearest.
    void take(const QString& person, const DaysLeft& left) {
        if (left.when == DaysLeft::Case::Today || nearestDays_ > left.days) {
            nearestDays_ = left.days;
            nearestName_ = person;
        }
    }
    QString text() const;

  private:
    int nearestDays_ = 366; // one more than any days left
    QString nearestName_;
};

} // namespace cw
