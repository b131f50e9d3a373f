#pragma once
// A fresh store for the address-book benchmarks: the birthday table, as an older version left it, and
// one CardDAV source.
#include "store/query.h"
#include "store/sources.h"

#include <QFile>
#include <QUrl>

#include <sqlite3.h>

inline qint64 freshStore(const QString& path, const QUrl& book) {
    QFile::remove(path);
    sqlite3* db = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &db);
    sqlite3_exec(db,
                 "create table tblBirthday (id INTEGER PRIMARY KEY AUTOINCREMENT, Person TEXT, "
                 "BirthMonth SMALLINT, BirthDay SMALLINT)",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    cw::Connection connection;
    cw::openStore(connection, path);
    return cw::addressbook::addSource(connection, cw::addressbook::SourceKind::CardDav, book.toString(), {},
                                      "Bench");
}
