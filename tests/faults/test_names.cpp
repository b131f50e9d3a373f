// Names that could break a statement or a text file: quotes, SQL, other scripts, emoji, very long
// names. Each is stored exactly as given, through the editor and through an import, and an export
// writes it back byte for byte.
#include "faults.h"
#include "gui/mainwindow/fixture.h"

#include <QClipboard>
#include <QGuiApplication>

#include <algorithm>
#include <tuple>

using namespace cwtest;
using namespace faulttest;

namespace {

// Names a text line can carry: no blanks at either end (the import trims those) and no control
// characters (the export writes those as blanks).
QStringList hostileNames() {
    return {
        QStringLiteral("O'Neil"),
        QStringLiteral("''"),
        QStringLiteral("'"),
        QStringLiteral("x'); drop table tblBirthday; --"),
        QStringLiteral("Robert'); delete from tblBirthday where ('1'='1"),
        QStringLiteral("\"double\" \\back\\slash %1 %2 %s ;"),
        QString::fromUtf8("张伟 李娜"),
        QString::fromUtf8("Ирина Петровна"),
        QString::fromUtf8("محمد عبد الله"),
        QString::fromUtf8("שׁרה"),
        QString::fromUtf8("สมชาย"),
        QString::fromUtf8("Zoë Ñandú Łukasz"),
        QString::fromUtf8("🎂 Party 👨‍👩‍👧 🇳🇴"),
        QString::fromUtf8("e\u0301\u0302 combining"),
        QString(10000, QChar(u'w')),
        QString::fromUtf8("长").repeated(5000) + QString::fromUtf8("🎉").repeated(2500),
    };
}

} // namespace

class TestNames : public QObject {
    Q_OBJECT
  private slots:
    void editorStoresNamesExactly();
    void importAndExportKeepNamesExactly();
    void namesStayOnOneLine();
};

void TestNames::editorStoresNamesExactly() {
    MainWindowFixture f(QDate(2026, 12, 30));
    f.start();
    QStringList names = hostileNames();
    names << QStringLiteral("  blanks kept by the editor  ");
    QList<Birthday> expected;
    for (int i = 0; i < names.size(); ++i) {
        const Birthday birthday{names[i], i % 12 + 1, i + 1};
        int editors = 0;
        whenModal<cw::Form2>(
            [&](cw::Form2* e) { fillEditor(e, birthday.person, birthday.month, birthday.day); }, &editors);
        f.form->PushButton6->click();
        QCOMPARE(editors, 1);
        expected << birthday;
    }
    QCOMPARE(f.errorReports(), 0);
    QList<Birthday> stored = f.storedRows();
    auto byDate = [](const Birthday& a, const Birthday& b) {
        return std::tie(a.month, a.day) < std::tie(b.month, b.day);
    };
    std::sort(expected.begin(), expected.end(), byDate);
    QCOMPARE(stored, expected);
    QStringList shown;
    for (const Birthday& b : expected)
        shown << b.person;
    QCOMPARE(f.column(1), shown);

    // Editing another field keeps the name as it was.
    for (int row = 0; row < f.form->ListView1->count(); ++row) {
        f.form->ListView1->selectRow(row);
        whenModal<cw::Form2>([](cw::Form2* e) {
            e->Combo2->setCurrentIndex(e->Combo2->findText("1"));
            e->PushButton6->click();
        });
        f.form->PushButton2->click();
    }
    for (Birthday& b : expected)
        b.day = 1;
    stored = f.storedRows();
    std::sort(stored.begin(), stored.end(),
              [](const Birthday& a, const Birthday& b) { return a.person < b.person; });
    std::sort(expected.begin(), expected.end(),
              [](const Birthday& a, const Birthday& b) { return a.person < b.person; });
    QCOMPARE(stored, expected);
    QCOMPARE(f.errorReports(), 0);
}

void TestNames::importAndExportKeepNamesExactly() {
    MainWindowFixture f(QDate(2026, 12, 30));
    f.start();
    const QStringList names = hostileNames();
    QByteArray file;
    QList<Birthday> expected;
    for (int i = 0; i < names.size(); ++i) {
        // One birthday a date, in calendar order, so the list's order is the file's.
        const Birthday birthday{names[i], i / 2 + 1, i % 2 + 10};
        file += (lineText(birthday) + QStringLiteral("\r\n")).toUtf8();
        expected << birthday;
    }
    const QString input = f.sandbox.path("names.txt");
    writeBytes(input, file);
    f.sandbox.fileDialogs->answers.push_back(input);
    f.form->PushButton8->click();
    QCOMPARE(f.errorReports(), 0);
    QCOMPARE(f.storedRows(), expected);
    QCOMPARE(f.column(1), names);

    const QString output = f.sandbox.path("exported.txt");
    f.sandbox.fileDialogs->answers.push_back(output);
    f.form->PushButton9->click();
    QCOMPARE(f.errorReports(), 0);
    QCOMPARE(readBytes(output), file);

    // The exported file imports to the same rows again.
    f.sandbox.fileDialogs->answers.push_back(output);
    f.form->PushButton8->click();
    QCOMPARE(f.errorReports(), 0);
    QList<Birthday> twice;
    for (const Birthday& b : expected)
        twice << b << b;
    QList<Birthday> stored = f.storedRows();
    QCOMPARE(stored.size(), twice.size());
    auto order = [](const Birthday& a, const Birthday& b) {
        return std::tie(a.month, a.day, a.person) < std::tie(b.month, b.day, b.person);
    };
    std::sort(stored.begin(), stored.end(), order);
    QCOMPARE(stored, twice);
}

// A name pasted with control characters is stored with blanks instead; an older stored name that
// holds them stays as it is, and no export writes one.
void TestNames::namesStayOnOneLine() {
    MainWindowFixture f(QDate(2026, 12, 30));
    const Birthday older{QStringLiteral("Old\r\nRow\x1b\tName"), 1, 1};
    f.store({older});
    f.start();
    QGuiApplication::clipboard()->setText(QStringLiteral("Ann\r\nLee\tSmith\x07") + QChar(0x2028) + "Jr");
    int editors = 0;
    whenModal<cw::Form2>(
        [](cw::Form2* e) {
            e->Text1->setFocus();
            QTest::keySequence(e->Text1, QKeySequence::Paste);
            e->Combo1->setCurrentIndex(1);
            e->Combo2->setCurrentIndex(1);
            e->PushButton6->click();
        },
        &editors);
    f.form->PushButton6->click();
    QCOMPARE(editors, 1);
    const QList<Birthday> stored{older, {QStringLiteral("Ann  Lee Smith  Jr"), 2, 2}};
    QCOMPARE(f.storedRows(), stored);
    f.sandbox.fileDialogs->answers.push_back(f.sandbox.path("exported.ics"));
    f.form->PushButton9->click();
    const QByteArray calendar = readBytes(f.sandbox.path("exported.ics"));
    QVERIFY(calendar.contains("SUMMARY:Old  Row  Name") && !calendar.contains('\x1b'));

    const QString output = f.sandbox.path("exported.txt");
    f.sandbox.fileDialogs->answers.push_back(output);
    f.form->PushButton9->click();
    QCOMPARE(f.errorReports(), 0);
    QCOMPARE(readBytes(output), QByteArray("Old  Row  Name,January 1\r\nAnn  Lee Smith  Jr,February 2\r\n"));
    QCOMPARE(f.storedRows(), stored);
}

QTEST_MAIN(TestNames)
#include "test_names.moc"
