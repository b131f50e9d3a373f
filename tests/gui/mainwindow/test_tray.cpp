// Minimising to the tray with its one-time balloon, the click that brings the window back, closing.
#include "fixture.h"

#include "gui/services/timercontrol.h"
#include "platform/settings.h"
#include "platform/stopsignal.h"

#include <QCheckBox>

#include <csignal>

using namespace cwtest;

class TestTray : public QObject {
    Q_OBJECT
  private slots:
    void minimiseHidesWithOneBalloon();
    void eitherButtonRestores();
    void noTrayMeansMinimisedUntilOneAppears();
    void startInTheTray();
    void closingRemovesTheIconAndClosesTheStore();
    void quitDuringTheStart();
};

void TestTray::minimiseHidesWithOneBalloon() {
    MainWindowFixture f;
    f.start();
    f.minimise();
    QTRY_VERIFY(!f.form->isVisible());
    QVERIFY(f.form->isMinimisedToTray());
    QVERIFY(!(f.form->windowState() & Qt::WindowMinimized));
    QCOMPARE(f.sandbox.trayLog.count(cw::NIM_MODIFY, cw::NIF_INFO), 1);
    const auto balloon = f.sandbox.trayLog.calls.last();
    QCOMPARE(balloon.title, QStringLiteral("Candlewise Software"));
    QCOMPARE(balloon.info,
             QStringLiteral("has been minimized to the system tray.\r\nClick on the blue 'M' icon "
                            "(M for Marrowfen) to bring the software back."));
    QCOMPARE(balloon.timeout, 5000u);
    f.sandbox.trayLog.click();
    QVERIFY(f.form->isVisible());
    QVERIFY(!f.form->isMinimisedToTray());
    f.form->showMinimized();
    QTRY_VERIFY(!f.form->isVisible());
    QCOMPARE(f.sandbox.trayLog.count(cw::NIM_MODIFY, cw::NIF_INFO), 1); // once a run
}

void TestTray::eitherButtonRestores() {
    MainWindowFixture f;
    f.start();
    f.minimise();
    QTRY_VERIFY(!f.form->isVisible());
    f.sandbox.trayLog.click(516, 517); // right button
    QVERIFY(f.form->isVisible());
    f.form->showMinimized();
    QTRY_VERIFY(!f.form->isVisible());
    f.sandbox.trayLog.click(519, 520); // the middle button does nothing
    QVERIFY(!f.form->isVisible());
}

void TestTray::noTrayMeansMinimisedUntilOneAppears() {
    MainWindowFixture f;
    f.sandbox.trayLog.available = false;
    f.start();
    f.minimise();
    QTest::qWait(50);
    QVERIFY(f.form->isVisible());
    QVERIFY(f.form->windowState() & Qt::WindowMinimized);
    QVERIFY(!f.form->isMinimisedToTray());
    QCOMPARE(f.sandbox.trayLog.count(cw::NIM_MODIFY, cw::NIF_INFO), 0);
    f.sandbox.trayLog.setAvailable(true); // a panel starts later: the window moves into its tray
    QVERIFY(f.form->isMinimisedToTray() && !f.form->isVisible());
    f.sandbox.trayLog.setAvailable(false); // and when it goes away the window is given back
    QVERIFY(!f.form->isMinimisedToTray() && f.form->isVisible());
}

void TestTray::startInTheTray() {
    MainWindowFixture f(QDate(2026, 4, 13));
    f.store({{"Arvel Quenby", 4, 13}});
    cw::writeSetting(cw::SettingKey::Minimized, "On");
    f.form = std::make_unique<cw::Form1>();
    f.closeAlert();
    f.form->start();
    QTRY_COMPARE(f.alerts.count, 1); // a due alert still comes up at start-up
    QVERIFY(f.form->isMinimisedToTray());
    QVERIFY(!f.form->isVisible());
    QCOMPARE(f.form->ListView1->count(), 1);
    QCOMPARE(f.sandbox.trayLog.count(cw::NIM_MODIFY, cw::NIF_INFO), 1);
}

void TestTray::closingRemovesTheIconAndClosesTheStore() {
    MainWindowFixture f;
    f.start();
    f.form->show();
    QVERIFY(f.sandbox.trayLog.iconShown());
    f.form->close();
    QVERIFY(!f.sandbox.trayLog.iconShown());
    QCOMPARE(cw::sharedConnection().State(), 0);
    QVERIFY(!f.form->Timer1->isTicking());
    QCOMPARE(f.errorReports(), 0);
}

// A session that ends at any point of the start (SIGTERM at log-out: before the loop runs, starting in
// the tray; behind the start-up alert) ends the loop, with the store closed and the timer stopped.
void TestTray::quitDuringTheStart() {
    for (const bool inTray : {true, false}) {
        MainWindowFixture f(QDate(2026, 4, 13));
        f.store({{"Arvel Quenby", 4, inTray ? 14 : 13}});
        cw::writeSetting(cw::SettingKey::Minimized, inTray ? "On" : "Off");
        f.form = std::make_unique<cw::Form1>();
        cw::StopSignal stopSignal;
        QObject::connect(&stopSignal, &cw::StopSignal::received, f.form.get(), &cw::Form1::endSession);
        QTimer::singleShot(inTray ? 0 : 300, [] { std::raise(SIGTERM); });
        f.form->start();
        QTimer::singleShot(3000, f.form.get(), [] { QCoreApplication::exit(1); }); // the quit was lost
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(cw::sharedConnection().State() == 0 && !f.sandbox.trayLog.iconShown());
        QVERIFY(!f.form->Timer1->isTicking());
    }
}

QTEST_MAIN(TestTray)
#include "test_tray.moc"
