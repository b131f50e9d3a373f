#pragma once
// Birth years and the ages shown for them.
#include <QDate>
#include <QString>

namespace cw {

// The years a birth or a wedding may be given in: from 1800 to this year.
constexpr int firstKnownYear = 1800;
bool isKnownYear(int year, const QDate& today);

// The years turned on the occurrence of a yearly day first seen in year; 0 when there is none to
// show: no year, the occurrence not after the first one, or after the person's death.
int yearsOn(int year, const QDate& occurrence, const QDate& death = {});

// The name set apart from the sentence around it (FSI ... PDI) when it holds right-to-left text or
// direction marks of its own, so "'s birthday is today." stays after it; other names stay as they are.
QString isolatedName(const QString& name);

} // namespace cw
