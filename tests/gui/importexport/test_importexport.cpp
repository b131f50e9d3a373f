// Importing text files into a real store and exporting a filled birthday list.
#include "core/apperror.h"
#include "core/statements.h"
#include "gui/services/datafolder.h"
#include "store/birthdaylist.h"
#include "store/connection.h"
#include "support/sandbox.h"
#include "textiofixture.h"
#include "transfer/modbdays.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

using namespace cw;
using namespace textiotest;

class TestImportExport : public QObject {
    Q_OBJECT
  private slots:
    void importsEveryLine_data();
    void importsEveryLine();
    void badLineStopsTheImport_data();
    void badLineStopsTheImport();
    void missingFileStoresNothing();
    void importingTwiceDoublesTheRows();
    void exportWritesTheListInItsOrder();
    void roundTripKeepsTheBirthdays();
    void commaNamesReadBackWhole();
    void emptyListChangesNothing();
    void failingExportLeavesTheFileAlone_data();
    void failingExportLeavesTheFileAlone();
    void exportToMissingFolderFails();
};

void TestImportExport::importsEveryLine_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("stored");
    QTest::newRow("plain") << QByteArray("Arvel Quenby,April 13\r\n") << QStringList{"Arvel Quenby|4|13"};
    QTest::newRow("blanks and capitals")
        << QByteArray("  Arvel Quenby  ,APRIL 13\r\n") << QStringList{"Arvel Quenby|4|13"};
    QTest::newRow("tab before the name") << QByteArray("\tTab ,July 4\r\n") << QStringList{"Tab|7|4"};
    QTest::newRow("apostrophe") << QByteArray("O'Neil,May 2\r\n") << QStringList{"O'Neil|5|2"};
    QTest::newRow("leap day and canonical day")
        << QByteArray("Leap,February 29\r\nZero,March 007\r\n") << QStringList{"Leap|2|29", "Zero|3|7"};
    QTest::newRow("windows-1252") << QByteArray("Jos\xE9,March 3\r\n")
                                  << QStringList{QString::fromUtf8("José|3|3")};
    QTest::newRow("byte-order mark") << QByteArray("\xEF\xBB\xBFJos\xC3\xA9,March 3\r\nNim,October 18\r\n")
                                     << QStringList{QString::fromUtf8("José|3|3"), "Nim|10|18"};
    QTest::newRow("lf only") << QByteArray("Arvel Quenby,April 13\nNim Quenby,October 18\n")
                             << QStringList{"Arvel Quenby|4|13", "Nim Quenby|10|18"};
    QTest::newRow("no end on the last line") << QByteArray("Arvel Quenby,April 13\r\nNim Quenby,October 18")
                                             << QStringList{"Arvel Quenby|4|13", "Nim Quenby|10|18"};
    QTest::newRow("empty file") << QByteArray() << QStringList{};
}

void TestImportExport::importsEveryLine() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, stored);
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    const QString path = sandbox.path("in.txt");
    writeBytes(path, bytes);
    QVERIFY_THROWS_NO_EXCEPTION(ImportBirthdays(path));
    QCOMPARE(storedBirthdays(), stored);
}

void TestImportExport::badLineStopsTheImport_data() {
    QTest::addColumn<QByteArray>("badLine");
    QTest::newRow("blank after the comma") << QByteArray("Arvel Quenby, April 13");
    QTest::newRow("missing day") << QByteArray("Arvel Quenby,April");
    QTest::newRow("unknown month") << QByteArray("Arvel Quenby,Avril 13");
    QTest::newRow("april 31") << QByteArray("Arvel Quenby,April 31");
    QTest::newRow("day not a number") << QByteArray("Arvel Quenby,April 1x");
    QTest::newRow("NUL") << QByteArray("Arvel\0Quenby,April 13", 21);
    QTest::newRow("empty line") << QByteArray();
    QTest::newRow("longer than 64 KB") << "Long" + QByteArray(3 << 20, 'g') + ",April 13";
}

void TestImportExport::badLineStopsTheImport() {
    QFETCH(QByteArray, badLine);
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    const QString path = sandbox.path("in.txt");
    writeBytes(path, "O'Neil,May 2\r\nNim Quenby,October 18\r\n" + badLine + "\r\nAfter,June 1\r\n");
    try {
        ImportBirthdays(path);
        QFAIL("the import went through");
    } catch (const AppError& error) {
        QVERIFY2(error.description().startsWith("Line 3 "), qPrintable(error.description()));
    }
    QCOMPARE(storedBirthdays(), (QStringList{"Nim Quenby|10|18", "O'Neil|5|2"}));
    // The lines before are committed, not left in an open transaction: another import works.
    writeBytes(path, "After,June 1\r\n");
    QVERIFY_THROWS_NO_EXCEPTION(ImportBirthdays(path));
    QCOMPARE(storedBirthdays(), (QStringList{"After|6|1", "Nim Quenby|10|18", "O'Neil|5|2"}));
    sharedConnection().Close();
    sandbox.openStore();
    QCOMPARE(storedBirthdays().size(), 3);
}

void TestImportExport::missingFileStoresNothing() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    QVERIFY_THROWS_EXCEPTION(AppError, ImportBirthdays(sandbox.path("missing.txt")));
    QVERIFY(storedBirthdays().isEmpty());
    sharedConnection().execute(statements::sampleInsert()); // no transaction left behind
    QCOMPARE(storedBirthdays(), QStringList{"Arv|4|13"});
}

void TestImportExport::importingTwiceDoublesTheRows() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    const QString path = sandbox.path("in.txt");
    writeBytes(path, "Arvel Quenby,April 13\r\nNim Quenby,October 18\r\n");
    QVERIFY_THROWS_NO_EXCEPTION(ImportBirthdays(path));
    QVERIFY_THROWS_NO_EXCEPTION(ImportBirthdays(path));
    QCOMPARE(storedBirthdays(),
             (QStringList{"Arvel Quenby|4|13", "Arvel Quenby|4|13", "Nim Quenby|10|18", "Nim Quenby|10|18"}));
}

void TestImportExport::exportWritesTheListInItsOrder() {
    cwtest::Sandbox sandbox;
    const QString path = sandbox.path("output.txt");
    writeBytes(path, QByteArray(5000, 'o')); // replaced without a question
    BirthdayList list;
    fillList(list, {{QString::fromUtf8("Zoë"), "12", "24"},
                    {"Arvel Quenby", "4", "13"},
                    {"Outside", "0", "5"},
                    {"Also outside", "13", "5"}});
    QVERIFY_THROWS_NO_EXCEPTION(ExportBirthdays(path, list));
    QCOMPARE(readBytes(path), QByteArray("Zo\xC3\xAB,December 24\r\nArvel Quenby,April 13\r\nOutside, 5\r\n"
                                         "Also outside, 5\r\n"));
    QCOMPARE(QDir(sandbox.path()).entryList(QDir::Files), QStringList{"output.txt"});
}

void TestImportExport::roundTripKeepsTheBirthdays() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    BirthdayList list;
    QList<ListRow> rows;
    for (int month = 1; month <= 12; ++month)
        rows << ListRow{QStringLiteral("Person %1").arg(month), QString::number(month),
                        QString::number(month + 15)};
    rows << ListRow{"O'Neil", "5", "2"} << ListRow{QString::fromUtf8("Zoë 张伟 Ирина"), "2", "29"}
         << ListRow{"Twin", "7", "7"} << ListRow{"Twin", "7", "7"};
    fillList(list, rows);
    const QString path = sandbox.path("round.txt");
    QVERIFY_THROWS_NO_EXCEPTION(ExportBirthdays(path, list));
    QVERIFY_THROWS_NO_EXCEPTION(ImportBirthdays(path));
    QCOMPARE(storedBirthdays(), listBirthdays(list));
}

void TestImportExport::commaNamesReadBackWhole() {
    cwtest::Sandbox sandbox;
    sandbox.openStore();
    BirthdayList list;
    fillList(list, {{"Nim", "10", "18"}, {"Quenby, Arvel", "4", "13"}, {"Quenby,Arvel, Jr.", "5", "2"}});
    const QString path = sandbox.path("comma.txt");
    QVERIFY_THROWS_NO_EXCEPTION(ExportBirthdays(path, list));
    QCOMPARE(readBytes(path),
             QByteArray("Nim,October 18\r\nQuenby, Arvel,April 13\r\nQuenby,Arvel, Jr.,May 2\r\n"));
    QVERIFY_THROWS_NO_EXCEPTION(ImportBirthdays(path));
    QCOMPARE(storedBirthdays(), listBirthdays(list));
}

void TestImportExport::emptyListChangesNothing() {
    cwtest::Sandbox sandbox;
    const QString existing = sandbox.path("output.txt");
    writeBytes(existing, "Kept,May 1\r\n");
    const QDateTime modified = QFileInfo(existing).lastModified();
    BirthdayList list;
    fillList(list, {});
    QVERIFY_THROWS_NO_EXCEPTION(ExportBirthdays(existing, list));
    QCOMPARE(readBytes(existing), QByteArray("Kept,May 1\r\n"));
    QCOMPARE(QFileInfo(existing).lastModified(), modified);
    QVERIFY_THROWS_NO_EXCEPTION(ExportBirthdays(sandbox.path("new.txt"), list));
    QCOMPARE(QDir(sandbox.path()).entryList(QDir::Files), QStringList{"output.txt"});
}

void TestImportExport::failingExportLeavesTheFileAlone_data() {
    QTest::addColumn<QString>("monthNo");
    QTest::newRow("letters") << "abc";
    QTest::newRow("empty") << "";
    QTest::newRow("above 255") << "256";
    QTest::newRow("negative") << "-1";
    QTest::newRow("fraction") << "4.5";
}

void TestImportExport::failingExportLeavesTheFileAlone() {
    QFETCH(QString, monthNo);
    cwtest::Sandbox sandbox;
    const QString path = sandbox.path("output.txt");
    writeBytes(path, "Previous,May 1\r\n");
    BirthdayList list;
    QList<ListRow> rows;
    for (int i = 0; i < 600; ++i) // the bad row comes after a flush of pending events
        rows << ListRow{QStringLiteral("Person %1").arg(i), "3", "3"};
    rows << ListRow{"Bad", monthNo, "3"} << ListRow{"After", "3", "3"};
    fillList(list, rows);
    try {
        ExportBirthdays(path, list);
        QFAIL("the export went through");
    } catch (const AppError& error) {
        QVERIFY2(error.description().contains("row 601"), qPrintable(error.description()));
    }
    QCOMPARE(readBytes(path), QByteArray("Previous,May 1\r\n"));
    QCOMPARE(QDir(sandbox.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"output.txt"});
}

void TestImportExport::exportToMissingFolderFails() {
    cwtest::Sandbox sandbox;
    BirthdayList list;
    fillList(list, {{"Nim", "10", "18"}});
    QVERIFY_THROWS_EXCEPTION(AppError, ExportBirthdays(sandbox.path("nowhere/output.txt"), list));
    QVERIFY(!QFileInfo::exists(sandbox.path("nowhere")));
}

QTEST_MAIN(TestImportExport)
#include "test_importexport.moc"
