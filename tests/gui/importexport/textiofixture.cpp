#include "textiofixture.h"

#include "core/statements.h"
#include "gui/services/datafolder.h"
#include "store/birthdaylist.h"
#include "support/recordset.h"

#include <QFile>
#include <QTest>

namespace textiotest {

QStringList storedBirthdays() {
    QStringList rows = cwtest::storedRowTexts(cw::statements::listQuery());
    rows.sort();
    return rows;
}

void fillList(cw::BirthdayList& list, const QList<ListRow>& rows) {
    list = cw::BirthdayList();
    qint64 id = 1;
    const auto stored = [](const QString& text) {
        bool whole = false;
        const qlonglong number = text.toLongLong(&whole);
        return whole ? QVariant(number) : QVariant(text);
    };
    for (const ListRow& row : rows)
        list.add(id++, row.person, stored(row.monthNo), stored(row.day));
}

QStringList listBirthdays(const cw::BirthdayList& list) {
    QStringList rows;
    for (size_t row = 0; row < list.size(); ++row)
        rows << QStringLiteral("%1|%2|%3")
                    .arg(list.person(row), list.text(list.month(row)), list.text(list.day(row)));
    rows.sort();
    return rows;
}

} // namespace textiotest
