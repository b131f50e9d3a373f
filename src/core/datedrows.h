#pragma once
// The list query's rows with their days left, read straight from the engine for readers that need
// no recordset (the command line). A row whose month or day cannot be used is left out.
#include "core/daysleft.h"

#include <QString>

#include <vector>

namespace cw {

class Connection;

struct DatedBirthday {
    QString person;
    int month;
    int day;
    DaysLeft left;
};

// The rows whose days left are at most maxDays, in the order they lie in the file. Throws AppError
// when the table cannot be read.
std::vector<DatedBirthday> readDatedBirthdays(Connection& connection, const QDate& today, int maxDays);

} // namespace cw
