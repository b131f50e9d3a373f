#pragma once
// The dates of a vCard (a birthday, an anniversary, a death) as address books spell them, with the
// year when the value really names one.
#include <QDate>
#include <QString>

#include <optional>

namespace cw {

struct CardDate {
    int year = 0; // 0: not known
    int month = 0;
    int day = 0;
};

// YYYY-MM-DD, YYYYMMDD, --MMDD or --MM-DD, each perhaps followed by a time and a zone. Nothing when
// the value is no date that exists in its year (1999-02-29 does not). Year 0000 and 1604 are the
// placeholders address books write for "no year"; yearOmitted (a parameter said so) and a year outside
// the known years give none either, and the month and day still count.
std::optional<CardDate> cardDate(const QString& value, bool yearOmitted, const QDate& today);

} // namespace cw
