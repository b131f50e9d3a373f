// The options panel: written at every click, restored at the next start, and the start-up entry.
#include "fixture.h"

#include "platform/settings.h"
#include "platform/statefile.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QSettings>

using namespace cwtest;

namespace {
QString stored(const QString& key) {
    QSettings raw(QSettings::IniFormat, QSettings::UserScope, "Marrowfen");
    return raw.value("Candlewise Software/" + key).toString();
}
QString autostartEntry(const Sandbox& sandbox) {
    return sandbox.path("autostart/candlewise.desktop");
}
} // namespace

class TestOptions : public QObject {
    Q_OBJECT
  private slots:
    void writtenAndRestoredAcrossARestart();
    void startupOptionWritesTheEntry();
    void startingWithTheOptionOnLeavesTheEntryAlone();
    void garbageSettingsAreReportedOnce();
    void windowPlaceIsState();
};

void TestOptions::writtenAndRestoredAcrossARestart() {
    MainWindowFixture f;
    f.start();
    f.form->Check1->click();
    f.form->Check2->click();
    f.form->Check6->click();
    QCOMPARE(stored("Check1"), QStringLiteral("0"));
    QCOMPARE(stored("Check2"), QStringLiteral("1"));
    QCOMPARE(stored("Check6"), QStringLiteral("1"));
    f.restart();
    QVERIFY(!f.form->Check1->isChecked());
    QVERIFY(f.form->Check2->isChecked());
    QVERIFY(!f.form->Check4->isChecked());
    QVERIFY(f.form->Check6->isChecked());
    QCOMPARE(f.form->reminderBoxes(), (cw::ReminderBoxes{0, 1, 0, 0, 1}));
}

void TestOptions::startupOptionWritesTheEntry() {
    MainWindowFixture f;
    f.start();
    f.form->show();
    f.form->Check3->click();
    QCOMPARE(stored("Windows Startup"), QStringLiteral("On"));
    QVERIFY(f.form->Check8->isVisible());
    const QString text = QString::fromUtf8(readBytes(autostartEntry(f.sandbox)));
    QVERIFY(text.contains("Type=Application"));
    QVERIFY(text.contains("Name=Candlewise Software"));
    QVERIFY(text.contains("Exec=\"" + f.sandbox.appFolder() + "/candlewise\""));
    f.form->Check8->click();
    QCOMPARE(stored("Minimized"), QStringLiteral("On"));
    // Unticking also unticks and hides "Start in system tray" and removes the entry.
    f.form->Check3->click();
    QVERIFY(!f.form->Check8->isChecked());
    QVERIFY(!f.form->Check8->isVisible());
    QCOMPARE(stored("Minimized"), QStringLiteral("Off"));
    QCOMPARE(stored("Windows Startup"), QStringLiteral("Off"));
    QVERIFY(!QFile::exists(autostartEntry(f.sandbox)));
    // Ticking again shows the box again, still unticked.
    f.form->Check3->click();
    QVERIFY(f.form->Check8->isVisible());
    QVERIFY(!f.form->Check8->isChecked());
}

void TestOptions::startingWithTheOptionOnLeavesTheEntryAlone() {
    MainWindowFixture f;
    cw::writeSetting(cw::SettingKey::WindowsStartup, "On");
    f.start();
    QVERIFY(f.form->Check3->isChecked());
    QVERIFY(!QFile::exists(autostartEntry(f.sandbox))); // not rewritten at start-up
    cw::writeSetting(cw::SettingKey::Minimized, "on");  // lower case counts as off
    f.restart();
    QVERIFY(!f.form->Check8->isChecked());
    QVERIFY(!f.form->isMinimisedToTray());
}

void TestOptions::garbageSettingsAreReportedOnce() {
    MainWindowFixture f;
    cw::writeSetting(cw::SettingKey::Check1, "abc");
    cw::writeSetting(cw::SettingKey::Check2, "1");
    f.start();
    QCOMPARE(f.errorReports(), 1);
    QVERIFY(f.sandbox.messages->shown[0].text.contains("Form1.Form_Load at line 13"));
    QVERIFY(f.form->Check1->isChecked()); // its default: reminders stay on
    QVERIFY(f.form->Check2->isChecked());
    QCOMPARE(f.form->ListView1->model()->columnCount(), 4); // the load went on
}

// Kept in the state file once a move has ended, never on the way out; an earlier version's place is
// moved there from the settings file. A place that hides part of the title bar or more than half the
// window is not restored: the window opens centred.
void TestOptions::windowPlaceIsState() {
    for (const auto& [place, restored] :
         {std::pair{QPoint(100, 20), true}, {QPoint(100, -10), false}, {QPoint(100, 600), false}}) {
        MainWindowFixture f;
        QSettings(QSettings::IniFormat, QSettings::UserScope, "Marrowfen")
            .setValue("Candlewise Software/Window Position", QString("%1,%2").arg(place.x()).arg(place.y()));
        f.start();
        QCOMPARE(f.form->pos() == place, restored);
        f.form->show();
        f.form->move(50, 60);
        QTRY_COMPARE(cw::readState(cw::StateKey::WindowPosition), QStringLiteral("50,60"));
        f.form->move(70, 80);
        f.form->close();
        QTest::qWait(700);
        QCOMPARE(cw::readState(cw::StateKey::WindowPosition), QStringLiteral("50,60"));
        QCOMPARE(stored("Window Position") + stored("Window Size"), QString());
    }
}

QTEST_MAIN(TestOptions)
#include "test_options.moc"
