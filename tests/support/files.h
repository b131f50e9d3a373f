#pragma once
// Files written and read byte for byte, and the store's rows as comparable texts.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace cwtest {

void writeBytes(const QString& path, const QByteArray& bytes);
QByteArray readBytes(const QString& path);
QByteArray fileHash(const QString& path);
// The rows of a query on the shared connection as "Person|month|day", in the query's order.
QStringList storedRowTexts(const QString& query);

} // namespace cwtest
