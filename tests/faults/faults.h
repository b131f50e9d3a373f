#pragma once
// What the fault tests share.
#include "mainwindow/fixture.h"
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
// The "Application Error" boxes shown so far whose text names the procedure, e.g. "Form1.Form_Load".
int reportsAt(const cwtest::ScriptedMessages& messages, const QString& procedure);
int reports(const cwtest::ScriptedMessages& messages);
// Every stored row as "Person|month|day", in id order.
QStringList rowsInIdOrder();
// Puts many birthdays in the live store before the window loads, in one transaction.
void storeInOneGo(cwtest::MainWindowFixture& fixture, const QList<cwtest::Birthday>& birthdays);
// The engine's own check of the live store file, on a connection of its own.
QString integrityCheck(const QString& path);

} // namespace faulttest
