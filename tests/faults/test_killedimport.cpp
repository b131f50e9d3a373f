// A process killed in the middle of a large import, while its transaction is open: the store stays
// whole and holds the rows from before and nothing of the file; the program then works on it as before.
#include "faults.h"
#include "gui/mainwindow/fixture.h"

#include "cli/commandline.h"
#include "store/storelocation.h"
#include "support/permissions.h"

#include <QProcess>

using namespace cwtest;
using namespace faulttest;

namespace {
constexpr int fileLines = 100000;

// The birthday on line i of the imported file, counted from 0.
Birthday fileBirthday(int i) {
    return {QStringLiteral("Imported %1").arg(i), i % 12 + 1, i % 28 + 1};
}
} // namespace

class TestKilledImport : public QObject {
    Q_OBJECT
  private slots:
    void killedImportLeavesNothingOfTheFile_data();
    void killedImportLeavesNothingOfTheFile();
};

void TestKilledImport::killedImportLeavesNothingOfTheFile_data() {
    QTest::addColumn<int>("stopAt");     // the row inserted last before the kill
    QTest::addColumn<int>("cachePages"); // 0: the engine's usual cache
    QTest::newRow("at the first row") << 1 << 0;
    QTest::newRow("with pages already in the store file") << 60000 << 8;
}

void TestKilledImport::killedImportLeavesNothingOfTheFile() {
    QFETCH(int, stopAt);
    QFETCH(int, cachePages);
    MainWindowFixture f(QDate(2026, 12, 30)); // no stored day is due
    const QList<Birthday> before{{"O'Neil", 5, 2}, {"Ann", 1, 5}, {QString::fromUtf8("Zoë"), 2, 29}};
    f.store(before);
    const QString storeFile = cw::liveStoreFile();
    const QString journal = storeFile + QStringLiteral("-journal");
    const qint64 sizeBefore = QFileInfo(storeFile).size();

    QByteArray text;
    for (int i = 0; i < fileLines; ++i)
        text += lineText(fileBirthday(i)).toUtf8() + "\r\n";
    const QString input = f.sandbox.path("big.txt");
    writeBytes(input, text);

    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments{input, QString::number(stopAt)};
    if (cachePages > 0)
        arguments << QString::number(cachePages);
    helper.start(QStringLiteral(CW_IMPORT_HELPER), arguments);
    QVERIFY2(helper.waitForStarted(), qPrintable(helper.errorString()));
    // The helper says "open" from inside the import's transaction and then waits to be killed.
    while (!helper.canReadLine())
        QVERIFY2(helper.waitForReadyRead(60000), "the helper never reached the row");
    QCOMPARE(helper.readLine(), QByteArray("open\n"));
    QVERIFY(QFileInfo::exists(journal));
    if (cachePages > 0)
        QVERIFY2(QFileInfo(storeFile).size() > sizeBefore, "no page of the import reached the store file");
    helper.kill();
    QVERIFY(helper.waitForFinished(30000));
    QCOMPARE(helper.exitStatus(), QProcess::CrashExit);

    // The command line answers at once: where the user may not write the store it says so in one line
    // (once pages of the import reached it); where the user may, the engine rolls the change back.
    const QStringList upcoming{"candlewise", "--upcoming", "365"};
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const QFile::Permissions permissions = QFile::permissions(storeFile);
    QVERIFY(QFile::setPermissions(storeFile, QFile::ReadOwner));
    if (PermissionBitsApply readOnly; cachePages > 0 && readOnly.works()) {
        QCOMPARE(cw::runCommandLine(upcoming, outStream, errStream), 1);
        QVERIFY2(err.startsWith("candlewise: A change to the list was cut short") && err.count('\n') == 1,
                 qPrintable(err));
    }
    QVERIFY(QFile::setPermissions(storeFile, permissions) && QFileInfo::exists(journal));
    QCOMPARE(cw::runCommandLine(upcoming, outStream, errStream), 0);
    QCOMPARE(out.count('\n'), before.size());
    QVERIFY(cachePages == 0 || !QFileInfo::exists(journal));

    // Rolled back, the file must check as whole.
    QCOMPARE(integrityCheck(storeFile), QStringLiteral("ok"));
    cw::openSharedConnection();
    QStringList expected; // nothing of the file: the kill came inside its one transaction
    for (const Birthday& b : before)
        expected << rowText(b);
    const QStringList rows = rowsInIdOrder();
    QCOMPARE(rows, expected);
    cw::sharedConnection().Close();

    // The program starts on the store and changes it as before.
    f.start();
    QCOMPARE(f.errorReports(), 0);
    QCOMPARE(f.form->ListView1->count(), rows.size());
    f.form->PushButton4->click(); // the sample entry
    QCOMPARE(f.errorReports(), 0);
    QCOMPARE(f.form->ListView1->count(), rows.size() + 1);
    QVERIFY(!QFileInfo::exists(journal));
}

QTEST_MAIN(TestKilledImport)
#include "test_killedimport.moc"
