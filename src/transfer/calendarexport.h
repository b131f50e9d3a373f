#pragma once
// Writing the list as an iCalendar file, chosen by the save dialog's filter or the name's extension.
#include "core/birthdayrecord.h"

#include <QString>

#include <vector>

namespace cw {

class BirthdayList;

// Whether a path chosen in the save dialog is to be written as a calendar: it ends in ".ics".
bool isCalendarPath(const QString& path);

// Writes every row of list as a yearly event, with one alarm for each of reminderDays (the days before
// the birthday of the reminder options ticked in the window). An empty list creates or changes
// nothing; a failure or a cancel leaves an existing file as it was.
void ExportCalendar(const QString& path, const BirthdayList& list, const std::vector<int>& reminderDays,
                    const FormatProgress& progress = {});

} // namespace cw
