#pragma once
// A birthday list made by hand as the store's reader makes it, for the export benchmarks.
#include "store/birthdaylist.h"

namespace benchlist {

// rows birthdays spread over every month, days 1 to 28.
inline cw::BirthdayList make(int rows) {
    cw::BirthdayList list;
    for (int i = 0; i < rows; ++i)
        list.add(i + 1, QStringLiteral("Person %1").arg(i), QVariant(qlonglong(i % 12 + 1)),
                 QVariant(qlonglong(i % 28 + 1)));
    return list;
}

} // namespace benchlist
