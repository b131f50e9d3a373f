// "Load this software on Windows startup" when the start-up entry cannot be changed: the failure is
// reported and the box, with its setting, shows what the next logon really does.
#include "gui/mainwindow/fixture.h"

#include "platform/settings.h"
#include "support/permissions.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QScopeGuard>

using namespace cwtest;

class TestStartupBox : public QObject {
    Q_OBJECT
  private slots:
    void failedChangeShowsTheStateInEffect_data();
    void failedChangeShowsTheStateInEffect();
    void entryTurnedOffByTheDesktop_data();
    void entryTurnedOffByTheDesktop();
};

void TestStartupBox::failedChangeShowsTheStateInEffect_data() {
    QTest::addColumn<bool>("startsOn");
    QTest::addColumn<int>("reportedStep");
    QTest::newRow("ticking, no folder may be written") << false << 2;
    QTest::newRow("unticking, the machine-wide entry stays") << true << 3;
}

void TestStartupBox::failedChangeShowsTheStateInEffect() {
    QFETCH(bool, startsOn);
    QFETCH(int, reportedStep);
    MainWindowFixture f;
    // The machine-wide folder may not be written; the user's own lies below a plain file.
    const QString machineWide = f.sandbox.path("machine");
    QVERIFY(QDir().mkpath(machineWide));
    if (startsOn)
        writeBytes(machineWide + "/candlewise.desktop",
                   "[Desktop Entry]\nType=Application\nExec=candlewise\n");
    QVERIFY(QFile::setPermissions(machineWide, QFile::ReadOwner | QFile::ExeOwner));
    writeBytes(f.sandbox.path("blocker"), "not a folder");
    qputenv("CANDLEWISE_MACHINE_AUTOSTART_DIR", machineWide.toUtf8());
    qputenv("CANDLEWISE_AUTOSTART_DIR", f.sandbox.path("blocker/autostart").toUtf8());
    const auto restore = qScopeGuard([&] {
        qunsetenv("CANDLEWISE_MACHINE_AUTOSTART_DIR");
        QFile::setPermissions(machineWide, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    });
    cw::writeSetting(cw::SettingKey::WindowsStartup, startsOn ? "On" : "Off");
    f.start();
    f.form->show();
    PermissionBitsApply bitsApply;
    if (!bitsApply.works())
        QSKIP("running as root without the right to drop CAP_DAC_OVERRIDE: every folder stays writable");

    f.form->Check3->click();
    QCOMPARE(f.errorReports(), 1);
    QVERIFY2(f.sandbox.messages->lastReport().contains(
                 QStringLiteral("Form1.Check3_Click at line %1").arg(reportedStep)),
             qPrintable(f.sandbox.messages->lastReport()));
    QCOMPARE(f.form->Check3->isChecked(), startsOn);
    QCOMPARE(cw::readOnOff(cw::SettingKey::WindowsStartup), startsOn ? 1 : 0);
    QCOMPARE(f.form->Check8->isVisible(), startsOn);
}

void TestStartupBox::entryTurnedOffByTheDesktop_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("GNOME's switch") << QByteArray("X-GNOME-Autostart-enabled=false\n");
    QTest::newRow("hidden") << QByteArray("Hidden=true\n");
}

// The box reads an entry the desktop turned off as off; ticking it writes one that is on.
void TestStartupBox::entryTurnedOffByTheDesktop() {
    QFETCH(QByteArray, line);
    MainWindowFixture f;
    const QString entry = f.sandbox.path("autostart/candlewise.desktop");
    writeBytes(entry, "[Desktop Entry]\nType=Application\nExec=candlewise\n" + line);
    cw::writeSetting(cw::SettingKey::WindowsStartup, "On");
    f.start();
    QVERIFY(!f.form->Check3->isChecked());
    f.form->Check3->click();
    QVERIFY(f.form->Check3->isChecked() && f.errorReports() == 0 && !readBytes(entry).contains(line));
}

QTEST_MAIN(TestStartupBox)
#include "test_startupbox.moc"
