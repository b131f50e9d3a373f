#pragma once
// What the text import and export tests share: files written byte for byte, the store's rows as
// comparable texts, and a birthday list made by hand as the store's reader makes it.
#include "support/files.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace cw {
class BirthdayList;
}

namespace textiotest {

struct ListRow {
    QString person;
    QString monthNo; // the hidden MonthNo cell, as text
    QString day;
};

using cwtest::readBytes;
using cwtest::writeBytes;
// Every stored birthday as "Person|month|day", sorted, so two stores compare as sets.
QStringList storedBirthdays();
// The given rows, in the given order.
void fillList(cw::BirthdayList& list, const QList<ListRow>& rows);
// The rows of a list as "Person|month|day", sorted.
QStringList listBirthdays(const cw::BirthdayList& list);

} // namespace textiotest
