#include "core/statements.h"

#include "core/apperror.h"

namespace cw::statements {

namespace {
const QString insertHead = QStringLiteral("insert into tblBirthday (Person,BirthMonth,BirthDay) ");

QString valuesOf(const QString& quotedName, int month, int day) {
    return QStringLiteral("values ('") + quotedName + QStringLiteral("',") + QString::number(month) +
           QLatin1Char(',') + QString::number(day) + QLatin1Char(')');
}
} // namespace

QString quoteName(const QString& name) {
    QString quoted = name;
    return quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
}

QString trimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

QString listQuery() {
    return QStringLiteral("select * from tblBirthday order by birthmonth,birthday");
}

QString editorInsert(const QString& name, int month, int day) {
    return insertHead + valuesOf(quoteName(name), month, day);
}

QString editorUpdate(const QString& name, int month, int day, qint64 id) {
    return QStringLiteral("update tblBirthday set Person='") + quoteName(name) +
           QStringLiteral("',BirthMonth=") + QString::number(month) + QStringLiteral(",BirthDay=") +
           QString::number(day) + QStringLiteral(" where id=") + QString::number(id);
}

QString deleteById(qint64 id) {
    return QStringLiteral("delete from tblBirthday where id=") + QString::number(id);
}

QString testDelete() {
    return QStringLiteral("delete from tblBirthday where Person='Today Birthday Test'");
}

QString testInsert() {
    return insertHead + QStringLiteral("values ('Today Birthday Test', month(date()), day(date()))");
}

QString sampleInsert() {
    return insertHead + QStringLiteral("values ('Arv', 4, 13)");
}

QString importInsert(const QString& name, int month, int day) {
    return insertHead + valuesOf(trimBlanks(quoteName(name)), month, day);
}

QString importInsertWithParameters() {
    return insertHead + QStringLiteral("values (?,?,?)");
}

qint64 idFromText(const QString& text) {
    bool ok = false;
    const qint64 id = text.toLongLong(&ok, 10);
    if (!ok)
        throw AppError(QStringLiteral("Syntax error in the row id \"%1\".").arg(text));
    return id;
}

} // namespace cw::statements
