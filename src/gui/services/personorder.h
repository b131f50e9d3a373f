#pragma once
// The list's rows in the order of their names in the user's locale; rows with equal names keep
// list order.
#include "store/birthdaylist.h"

#include <vector>

namespace cw {

std::vector<int> sortedByName(const BirthdayList& list);

// The same order for now, worked out from the order of the list before a refill: the rows kept
// (by id, with the same name) keep their places, and the few that are new or renamed are put in
// among them. False, and order untouched, when too much changed for that to be quicker.
bool carryNameOrder(const BirthdayList& before, const std::vector<int>& orderBefore, const BirthdayList& now,
                    std::vector<int>& order);

} // namespace cw
