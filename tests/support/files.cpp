#include "support/files.h"

#include "store/sharedconnection.h"
#include "support/recordset.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>

namespace cwtest {

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray fileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result().toHex();
}

QStringList storedRowTexts(const QString& query) {
    cw::Recordset records;
    records.open(query, cw::sharedConnection());
    QStringList rows;
    while (!records.EndOfFile()) {
        rows << QStringLiteral("%1|%2|%3")
                    .arg(records.fields(QStringLiteral("Person")).toString(),
                         records.fields(QStringLiteral("BirthMonth")).toString(),
                         records.fields(QStringLiteral("BirthDay")).toString());
        records.movenext();
    }
    records.Close();
    return rows;
}

} // namespace cwtest
