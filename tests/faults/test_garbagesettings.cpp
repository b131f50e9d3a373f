// A settings file edited by hand or damaged: junk in every key, binary junk included. Each value
// that does not convert is reported once by the window that reads it, a reminder box takes its key's
// default, any other control keeps the state it had, and the program runs on and writes good values
// over the junk.
#include "faults.h"
#include "gui/mainwindow/fixture.h"

#include "platform/settings.h"

#include <QCheckBox>

using namespace cwtest;
using namespace faulttest;

namespace {

QString settingsFile(const Sandbox& sandbox) {
    return sandbox.path(QStringLiteral("config/Marrowfen.ini"));
}

// Every key holds something the program never writes.
QByteArray junkSettings() {
    QByteArray ini("[Candlewise%20Software]\n");
    ini += "Check1=abc\n";
    ini += QByteArray("Check2=\x01\x02\xff\xfe\x80 \xc3(", 15) + "\n";
    ini += "Check4=99999999999999999999\n";
    // Serialised data is never decoded: it is text that does not convert, like any other junk.
    ini += "Check5=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x5junk\\xff)\n";
    ini += "Check6=\"1, 0\"\n";
    ini += QByteArray("Windows%20Startup=\xff\xfeOn\n");
    ini += "Minimized=on\n";
    ini += "Option1=maybe\n";
    ini += "Option2=@ByteArray(\\xff\\0\\x1)\n";
    ini += "Option3=\\x1\\x2\\x3\n";
    ini += "Option4=True,False\n";
    ini += QByteArray("Option5=\x00\x00\x00", 11) + "\n";
    ini += QByteArray("\xff\xfe=\x00garbage line without a key\n", 30);
    return ini;
}

} // namespace

class TestGarbageSettings : public QObject {
    Q_OBJECT
  private slots:
    void junkIsReportedOnceAndBoxesTakeTheirDefaults();
    void goodValuesReplaceTheJunk();
};

void TestGarbageSettings::junkIsReportedOnceAndBoxesTakeTheirDefaults() {
    MainWindowFixture f;
    f.store({{"Ann", 1, 5}});
    writeBytes(settingsFile(f.sandbox), junkSettings());
    f.start();
    // The five reminder boxes hold text that does not convert: one report each at the load, none later.
    QCOMPARE(f.sandbox.messages->reportsAt("Form1.Form_Load"), 5);
    QCOMPARE(f.errorReports(), 5);
    QCOMPARE(f.form->reminderBoxes(), (cw::ReminderBoxes{1, 0, 0, 0, 0})); // the keys' defaults
    QVERIFY(!f.form->Check3->isChecked());                                 // anything but "On" is off
    QVERIFY(!f.form->Check8->isChecked());
    QVERIFY(!f.form->isMinimisedToTray()); // "on" is not "On"
    QCOMPARE(f.column(1), QStringList{"Ann"});
    QCOMPARE(f.label(), QStringLiteral("Next birthday is in Ann 29 days"));

    // The alert reads the five snooze choices: junk in each, reported once each by its load; the
    // choice it was drawn with stays.
    f.confirmAlert();
    f.form->PushButton3->click();
    QCOMPARE(f.alerts.count, 1);
    QCOMPARE(f.sandbox.messages->reportsAt("Form3.Form_Load"), 5);
    QCOMPARE(f.errorReports(), 10);
    QCOMPARE(f.alerts.option, -1); // none could be read, so none is chosen: as the alert is drawn

    // Choosing writes all five choices over the junk: the next alert reads them without a word.
    f.confirmAlert(2);
    f.form->PushButton3->click();
    QCOMPARE(f.alerts.count, 2);
    QCOMPARE(cw::readSetting(cw::SettingKey::Option3), QStringLiteral("True"));
    QCOMPARE(cw::readSetting(cw::SettingKey::Option4), QStringLiteral("False"));
    f.confirmAlert();
    f.form->PushButton3->click();
    QCOMPARE(f.alerts.count, 3);
    QCOMPARE(f.alerts.option, 2);
    QCOMPARE(f.sandbox.messages->reportsAt("Form3.Form_Load"), 10);
    QCOMPARE(f.errorReports(), 15);
}

void TestGarbageSettings::goodValuesReplaceTheJunk() {
    MainWindowFixture f;
    writeBytes(settingsFile(f.sandbox), junkSettings());
    f.start();
    QCOMPARE(f.errorReports(), 5);
    f.form->Check2->click();
    f.form->Check5->click();
    f.form->Check3->click();
    QCOMPARE(cw::readSetting(cw::SettingKey::Check2), QStringLiteral("1"));
    QCOMPARE(cw::readSetting(cw::SettingKey::WindowsStartup), QStringLiteral("On"));

    // A fresh start reads the good values and reports only the junk that is left; the day-of box
    // wrote its default as it was ticked.
    f.sandbox.messages->shown.clear();
    f.restart();
    QCOMPARE(f.sandbox.messages->reportsAt("Form1.Form_Load"), 2);
    QCOMPARE(f.errorReports(), 2);
    QCOMPARE(f.form->reminderBoxes(), (cw::ReminderBoxes{1, 1, 0, 1, 0}));
    QVERIFY(f.form->Check3->isChecked());
}

QTEST_MAIN(TestGarbageSettings)
#include "test_garbagesettings.moc"
