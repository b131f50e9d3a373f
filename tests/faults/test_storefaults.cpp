// A live store the engine may not write, and one it cannot read: every failure is reported where it
// happens, the window keeps running, and the file is left exactly as it was.
#include "faults.h"
#include "gui/mainwindow/fixture.h"

#include "platform/settings.h"
#include "store/storelocation.h"
#include "support/permissions.h"

#include <QCheckBox>
#include <QDir>
#include <QRandomGenerator>

#include <sqlite3.h>

using namespace cwtest;
using namespace faulttest;

namespace {

QByteArray garbage(int size, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes)
        byte = static_cast<char>(random.bounded(256));
    return bytes;
}

} // namespace

class TestStoreFaults : public QObject {
    Q_OBJECT
  private slots:
    void readOnlyStoreRefusesEveryChange();
    void damagedStoreIsReportedAndLeftAlone_data();
    void damagedStoreIsReportedAndLeftAlone();
    void storeBusyAtStartUpOpensOnALaterTick();
};

void TestStoreFaults::readOnlyStoreRefusesEveryChange() {
    MainWindowFixture f;
    const QList<Birthday> rows{{"Ann", 1, 5}, {"Bob", 7, 9}};
    f.store(rows);
    const QString storeFile = cw::liveStoreFile();
    QVERIFY(QFile::setPermissions(storeFile, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    PermissionBitsApply readOnly;
    if (!readOnly.works())
        QSKIP("running as root without the right to drop CAP_DAC_OVERRIDE: a read-only file stays writable");
    QVERIFY2(!QFile(storeFile).open(QIODevice::ReadWrite), "the store file is still writable");
    const QByteArray hash = fileHash(storeFile);

    f.start();
    QCOMPARE(f.errorReports(), 0); // reading works as before
    QCOMPARE(f.storedRows(), rows);
    const QString label = f.label();
    int seen = 0;
    auto expectReported = [&](const QString& procedure) {
        QVERIFY2(f.sandbox.messages->reportsAt(procedure) >= 1, qPrintable(procedure));
        QVERIFY2(f.sandbox.messages->lastReport().contains("readonly"),
                 qPrintable(f.sandbox.messages->lastReport()));
        QVERIFY(f.errorReports() > seen);
        seen = f.errorReports();
        QCOMPARE(f.storedRows(), rows);
        QCOMPARE(f.column(1), QStringList({"Ann", "Bob"})); // refilled, still the same list
        QCOMPARE(f.label(), label);
    };

    int editors = 0;
    whenModal<cw::Form2>([](cw::Form2* e) { fillEditor(e, "Carl", 3, 3); }, &editors);
    f.form->PushButton6->click(); // add
    QCOMPARE(editors, 1);
    expectReported("Form2.PushButton6_Click");

    f.form->ListView1->selectRow(1);
    whenModal<cw::Form2>([](cw::Form2* e) { fillEditor(e, "Robert", 12, 30); }, &editors);
    f.form->PushButton2->click(); // edit
    QCOMPARE(editors, 2);
    expectReported("Form2.PushButton6_Click");

    f.form->ListView1->selectRow(0);
    f.sandbox.messages->answers.push_back(cw::MessageResult::Yes);
    f.form->PushButton1->click(); // delete
    expectReported("Form1.PushButton1_Click");

    f.form->PushButton4->click(); // sample entry
    expectReported("Form1.PushButton4_Click");

    const QString input = f.sandbox.path("in.txt");
    writeBytes(input, "Arvel Quenby,April 13\r\nNim Quenby,October 18\r\n");
    f.sandbox.fileDialogs->answers.push_back(input);
    f.form->PushButton8->click(); // import
    expectReported("Form1.PushButton8_Click");
    QCOMPARE(f.sandbox.messages->texts().count("Done."), 1);

    f.confirmAlert();
    f.form->PushButton3->click(); // the test birthday: its delete and its insert both fail
    QCOMPARE(f.alerts.count, 1);
    QCOMPARE(f.sandbox.messages->reportsAt("Form1.PushButton3_Click"), 2);
    seen = f.errorReports();
    QCOMPARE(f.storedRows(), rows);

    // Still running: reading, exporting and the options work.
    f.form->ListBirthdays(false);
    const QString output = f.sandbox.path("out.txt");
    f.sandbox.fileDialogs->answers.push_back(output);
    f.form->PushButton9->click();
    QCOMPARE(readBytes(output), QByteArray("Ann,January 5\r\nBob,July 9\r\n"));
    f.form->Check2->click();
    QCOMPARE(cw::readSetting(cw::SettingKey::Check2), QStringLiteral("1"));
    QCOMPARE(f.errorReports(), seen);
    QCOMPARE(fileHash(storeFile), hash);
    QCOMPARE(QDir(cw::dataFolder()).entryList(QDir::Files), QStringList{"dbData.mdb"});
}

void TestStoreFaults::damagedStoreIsReportedAndLeftAlone_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("loadReports");
    QTest::addColumn<int>("listReports");
    // The engine refuses the file at the open: the load reports it once, and the first list
    // pass says so in the label instead of reporting it again.
    QTest::newRow("garbage bytes") << "garbage" << 1 << 0;
    QTest::newRow("a database header over garbage") << "header" << 1 << 0;
    // The file opens, but the table's pages are garbage: the list reports it.
    QTest::newRow("damaged table pages") << "pages" << 0 << 1;
}

void TestStoreFaults::damagedStoreIsReportedAndLeftAlone() {
    QFETCH(QString, damage);
    QFETCH(int, loadReports);
    QFETCH(int, listReports);
    MainWindowFixture f;
    const QString storeFile = cw::liveStoreFile();
    if (damage == "pages") {
        QList<Birthday> many;
        for (int i = 0; i < 2000; ++i)
            many << Birthday{QStringLiteral("Person %1").arg(i), i % 12 + 1, i % 28 + 1};
        storeInOneGo(f, many);
        QByteArray bytes = readBytes(storeFile);
        const int pageSize = 4096;
        QVERIFY(bytes.size() > 4 * pageSize);
        bytes.replace(pageSize, bytes.size() - pageSize,
                      garbage(static_cast<int>(bytes.size()) - pageSize, 7));
        writeBytes(storeFile, bytes);
    } else {
        cw::prepareMakerFolder();
        cw::prepareDataFolder();
        QByteArray bytes = garbage(16384, 11);
        if (damage == "header")
            bytes.replace(0, 16, QByteArray("SQLite format 3\0", 16));
        writeBytes(storeFile, bytes);
    }
    const QByteArray hash = fileHash(storeFile);

    f.start();
    QCOMPARE(f.sandbox.messages->reportsAt("Form1.Form_Load"), loadReports);
    QCOMPARE(f.sandbox.messages->reportsAt("Form1.ListBirthdays"), listReports);
    QCOMPARE(f.errorReports(), loadReports + listReports);
    QCOMPARE(f.form->ListView1->count(), 0);

    // The window runs on: commands answer, a change is reported, nothing repairs or replaces the file.
    f.form->PushButton5->click();
    QVERIFY(f.sandbox.messages->texts().last().startsWith("Questions?"));
    if (damage != "pages") {
        f.form->PushButton4->click();
        QCOMPARE(f.sandbox.messages->reportsAt("Form1.PushButton4_Click"), 1);
    }
    const int listBefore = f.sandbox.messages->reportsAt("Form1.ListBirthdays");
    f.form->ListBirthdays(false);
    QCOMPARE(f.sandbox.messages->reportsAt("Form1.ListBirthdays"), listBefore + 1);
    f.form->close();
    QCOMPARE(fileHash(storeFile), hash);
    QCOMPARE(QDir(cw::dataFolder()).entryList(QDir::Files), QStringList{"dbData.mdb"});
}

// Another program holds the write lock past the busy wait while the window loads: one report, quiet
// retries, and the first tick after the lock is gone fills the list and gives the day's alert.
void TestStoreFaults::storeBusyAtStartUpOpensOnALaterTick() {
    MainWindowFixture f(QDate(2026, 7, 14));
    f.store({{"Ann", 7, 14}});
    sqlite3* other = nullptr;
    QCOMPARE(sqlite3_open(cw::liveStoreFile().toUtf8().constData(), &other), SQLITE_OK);
    QCOMPARE(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    f.start();
    for (int tick = 0; tick < 3; ++tick)
        f.form->Timer1_Timer();
    QCOMPARE(f.errorReports(), 1);
    QCOMPARE(f.form->ListView1->count(), 0);
    sqlite3_close(other); // rolls the lock holder's transaction back
    f.confirmAlert(4);
    f.form->Timer1_Timer();
    QCOMPARE(f.alerts.count, 1);
    QCOMPARE(f.column(1), QStringList{"Ann"});
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in Ann Today"));
    QCOMPARE(f.errorReports(), 1);
}

QTEST_MAIN(TestStoreFaults)
#include "test_storefaults.moc"
