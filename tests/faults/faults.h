#pragma once
// What the fault tests share.
#include "gui/mainwindow/fixture.h"
#include "support/fakeservices.h"
#include "support/files.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace faulttest {

using cwtest::fileHash;
using cwtest::readBytes;
using cwtest::writeBytes;
// The English name of a month 1 to 12, as text files carry it.
QString englishMonth(int month);
// A birthday as a line of a text file, "Person,Month day", without its line end.
QString lineText(const cwtest::Birthday& birthday);
// A birthday as a stored row, "Person|month|day".
QString rowText(const cwtest::Birthday& birthday);
// Every stored row as "Person|month|day", in id order.
QStringList rowsInIdOrder();
// Puts many birthdays in the live store before the window loads, in one transaction.
void storeInOneGo(cwtest::MainWindowFixture& fixture, const QList<cwtest::Birthday>& birthdays);
// The engine's own check of the live store file, on a connection of its own.
QString integrityCheck(const QString& path);

} // namespace faulttest
