// A process killed in the middle of a large import: the store stays whole and holds the rows from
// before, plus at most a whole prefix of the file; the program then works on it as before.
#include "faults.h"
#include "mainwindow/fixture.h"

#include <QProcess>
#include <QThread>

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
    void killedImportLeavesAWholePrefix_data();
    void killedImportLeavesAWholePrefix();
};

void TestKilledImport::killedImportLeavesAWholePrefix_data() {
    QTest::addColumn<int>("delayMs");
    // Measured from the moment the import's first change reaches the disk.
    QTest::newRow("at the first insert") << 0;
    QTest::newRow("a little later") << 30;
    QTest::newRow("later still") << 150;
}

void TestKilledImport::killedImportLeavesAWholePrefix() {
    QFETCH(int, delayMs);
    MainWindowFixture f(QDate(2026, 12, 30)); // no stored day is due
    const QList<Birthday> before{{"O'Neil", 5, 2}, {"Ann", 1, 5}, {QString::fromUtf8("Zoë"), 2, 29}};
    f.store(before);
    const QString storeFile = cw::liveStoreFile();
    const QString journal = storeFile + QStringLiteral("-journal");

    QByteArray text;
    for (int i = 0; i < fileLines; ++i)
        text += lineText(fileBirthday(i)).toUtf8() + "\r\n";
    const QString input = f.sandbox.path("big.txt");
    writeBytes(input, text);

    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QStringLiteral(CW_IMPORT_HELPER), {input});
    QVERIFY2(helper.waitForStarted(), qPrintable(helper.errorString()));
    // Wait for the import to begin writing, then kill it without warning.
    bool finished = false;
    while (!QFileInfo::exists(journal) && !(finished = helper.waitForFinished(1))) {
    }
    if (!finished) {
        QThread::msleep(static_cast<unsigned long>(delayMs));
        helper.kill();
        QVERIFY(helper.waitForFinished(30000));
    }
    const bool killed = helper.exitStatus() == QProcess::CrashExit;
    if (!killed)
        QCOMPARE(helper.exitCode(), 0); // it finished before the kill: the whole file is in
    if (delayMs == 0) {
        QVERIFY2(killed, "the import ended before the kill");
        QVERIFY2(QFileInfo::exists(journal), "the kill did not come in the middle of the import");
    }

    // The engine rolls a hot journal back on the next open; the file must then check as whole.
    QCOMPARE(integrityCheck(storeFile), QStringLiteral("ok"));
    cw::openSharedConnection();
    const QStringList rows = rowsInIdOrder();
    QVERIFY(rows.size() >= before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        QCOMPARE(rows[i], rowText(before[i]));
    const qsizetype imported = rows.size() - before.size();
    QVERIFY(imported <= fileLines);
    for (qsizetype i = 0; i < imported; ++i) {
        if (rows[before.size() + i] != rowText(fileBirthday(static_cast<int>(i))))
            QFAIL(qPrintable(QStringLiteral("row %1 after the old rows is %2, not line %1 of the file")
                                 .arg(i + 1)
                                 .arg(rows[before.size() + i])));
    }
    if (!killed)
        QCOMPARE(imported, qsizetype(fileLines));
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

QObject* makeTestKilledImport() {
    return new TestKilledImport;
}

#include "test_killedimport.moc"
