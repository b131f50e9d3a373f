#pragma once
// The rows found due today, by name, month and day as stored, kept for the run: a refill after a sync
// announces only the rows due today that no refill of the day found due before.
#include "gui/reminders/reminderhost.h"

#include <QDate>
#include <QSet>
#include <QString>

namespace cw {

struct DatedRow;
struct ListedRows;

class KnownDueRows {
  public:
    bool contains(const DatedRow& row, const QDate& today) const;
    // Notes every row of the refill with a line in today's alert; another day's rows are forgotten.
    void note(const ListedRows& rows, const ReminderBoxes& boxes, const MissedDays& missed,
              const QDate& today);

  private:
    QDate day_;
    QSet<QString> keys_;
};

} // namespace cw
