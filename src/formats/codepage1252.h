#pragma once
// Windows-1252, the code page older Windows programs wrote their text files in. Qt only knows it
// through ICU, which a build may lack, so the table is our own.
#include <QByteArray>
#include <QString>

namespace cw {

QString fromWindows1252(QByteArrayView bytes);

} // namespace cw
