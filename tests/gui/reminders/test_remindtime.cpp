// Reminders at a time of day, chosen in their dialog through the real window. When they come is the
// timed walk's.
#include "gui/mainwindow/fixture.h"
#include "remindermain.h"

#include "gui/reminders/remindtimedialog.h"
#include "gui/tray/csystray.h"
#include "platform/settings.h"

#include <QAction>
#include <QCheckBox>
#include <QTimeEdit>

using namespace cwtest;

class TestRemindTime : public QObject {
    Q_OBJECT
  private slots:
    void chosenInItsDialog();
};

// The choice is made in the dialog of the list's context menu and kept in the settings; Cancel keeps
// what was there, and a damaged setting counts as none.
void TestRemindTime::chosenInItsDialog() {
    MainWindowFixture f;
    cw::writeSetting(cw::SettingKey::RemindAt, "25:00");
    f.store({});
    f.start();
    QAction* option = nullptr;
    for (QAction* action : f.form->ListView1->actions())
        if (action->text() == "Remind at a time of day…")
            option = action;
    QVERIFY(option);
    const auto choose = [&](std::function<void(cw::RemindTimeDialog*)> answer) {
        f.withdrawAtEnd(whenModal<cw::RemindTimeDialog>(answer));
        option->trigger();
        return QStringList{cw::readSetting(cw::SettingKey::RemindAt),
                           cw::readSetting(cw::SettingKey::RemindEveningBefore)};
    };
    QCOMPARE(choose([](cw::RemindTimeDialog* dialog) {
                 QVERIFY(dialog->dayBegins->isChecked() && !dialog->dayTime->isEnabled());
                 dialog->atTime->click();
                 QTest::keyClick(dialog->dayTime, Qt::Key_Up); // the hours, to 10
                 dialog->evening->click();
                 QTest::keyClick(dialog, Qt::Key_Return);
             }),
             (QStringList{"10:00", "19:00"}));
    QCOMPARE(f.form->cSysTray1->TrayTip(), "Candlewise Software\nNext reminder at 10:00");
    QCOMPARE(choose([](cw::RemindTimeDialog* dialog) {
                 dialog->dayBegins->click();
                 QTest::keyClick(dialog, Qt::Key_Escape);
             }),
             (QStringList{"10:00", "19:00"}));
    QCOMPARE(choose([](cw::RemindTimeDialog* dialog) {
                 QCOMPARE(dialog->dayTime->time(), QTime(10, 0));
                 dialog->dayBegins->click();
                 dialog->evening->click();
                 QTest::keyClick(dialog, Qt::Key_Return);
             }),
             (QStringList{"", ""}));
    QCOMPARE(f.form->cSysTray1->TrayTip(), "Candlewise Software");
}

CW_REMINDER_TEST_MAIN(TestRemindTime)
#include "test_remindtime.moc"
