// The alert's desktop notification against the checks' notification server, on a session bus of the
// test's own: what is posted, what its buttons do, and that a missing or hung server delays nothing.
#include "gui/mainwindow/fixture.h"

#include "platform/desktopnotices.h"
#include "platform/settings.h"
#include "support/noticeserver.h"

#include <QAction>
#include <QElapsedTimer>

using namespace cwtest;

class TestNotices : public QObject {
    Q_OBJECT
  private slots:
    void alerts_data() {
        QTest::addColumn<QString>("caps"); // the server's; "none": no server; "silent": a hung one
        QTest::addColumn<int>("stored");   // the snooze choice stored before
        QTest::addColumn<QString>("user"); // at the server, before OK in the window
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<int>("duration");
        const QString get = "GetCapabilities", close = "CloseNotification 1",
                      notice = "Notify 0: default=Show, Remind me again in 1 hour, Do not remind me again";
        QTest::newRow("due at start: the lines, two buttons, kept; OK withdraws it")
            << "actions,body-markup,persistence" << 0 << "" << QStringList{get, notice + "; kept", close}
            << 3600;
        QTest::newRow("the snooze button answers the window")
            << "actions" << 2 << "press 1"
            << QStringList{get, QString(notice).replace("1 hour", "6 hours"), "press", close} << 21600;
        QTest::newRow("do not remind me again")
            << "actions" << 0 << "press 2" << QStringList{get, notice, "press", close} << 0;
        QTest::newRow("the click brings the window forward; \"Do not remind\" selected: 1 hour offered")
            << "actions" << 4 << "press 0" << QStringList{get, notice, "press", close} << 0;
        QTest::newRow("no actions: no buttons")
            << "body" << 0 << "" << QStringList{get, "Notify 0: ", close} << 3600;
        QTest::newRow("a second alert replaces the first")
            << "actions" << 0 << "again"
            << QStringList{get, notice, close, get, notice, "CloseNotification 2"} << 3600;
        QTest::newRow("OK before a late server answers: withdrawn once it does")
            << "actions,late" << 0 << "late" << QStringList{get, notice, "answer", close} << 3600;
        QTest::newRow("a new server: its ids are another program's")
            << "actions" << 0 << "restart" << QStringList{get, notice, "press"} << 3600;
        QTest::newRow("no server") << "none" << 0 << "" << QStringList{} << 3600;
        QTest::newRow("a hung server") << "silent" << 0 << "" << QStringList{get} << 3600;
        QTest::newRow("turned off: nothing is sent") << "actions" << 0 << "off" << QStringList{} << 3600;
    }

    void alerts() {
        QFETCH(QString, caps);
        QFETCH(int, stored);
        QFETCH(QString, user);
        QFETCH(QStringList, calls);
        MainWindowFixture f(QDate(2026, 3, 10));
        QVERIFY(f.sandbox.installSideFile("happybirthday.wav"));
        QList<Birthday> due;
        for (const char* name : {"Tom & <b>Jerry</b>", "Al", "Bo", "Cy", "Di", "Ed", "Flo"})
            due << Birthday{name, 3, 10};
        f.store(due);
        cw::writeOptions({stored == 0, stored == 1, stored == 2, stored == 3, stored == 4});
        NoticeServer server;
        const auto startServer = [&] {
            server.start("/usr/bin/python3", {CW_SNI_HOST, caps});
            QTRY_VERIFY_WITH_TIMEOUT((server.waitForReadyRead(10), server.canReadLine()), 10000);
            QCOMPARE(server.readLine(), "ready\n");
        };
        if (caps != "none")
            startServer();
        cw::services().setNotices(std::make_unique<cw::DesktopNotices>());
        for (QAction* entry : f.load().ListView1->actions())
            if (entry->text() == "Also show reminders as desktop notifications" && entry->isChecked())
                entry->setChecked(user != "off"); // on by default
        QElapsedTimer started;
        int alerts = 0;
        const auto answer = [&](cw::Form3* alert) {
            QVERIFY2(started.elapsed() < 3000 && f.sandbox.playerLog.calls.contains("Play"),
                     "the alert is late");
            alerts += calls.size() > 1; // the notification is out before the user answers
            QTRY_COMPARE((server.read(), server.notices.size()), alerts);
            QCoreApplication::processEvents(); // the server's answers came before the round trip's
            if (user.startsWith("press")) {
                if (user == "press 0")
                    alert->showMinimized(); // put away by the user, or opened behind other windows
                server.write(user.toLatin1() + '\n');
                QTRY_VERIFY(user == "press 0" ? alert->isActiveWindow() && !alert->isMinimized()
                                              : !alert->isVisible());
            }
            if (user == "restart") { // the new server gives our notice's id to another program's
                server.close();
                startServer();
                server.write("mail\n");
                QTRY_VERIFY(server.read().contains("press")); // its "Delete" clicked at once
            }
            if (alert->isVisible())
                alert->PushButton2->click();
            if (user == "late")
                server.write("answer\n");
        };
        f.withdrawAtEnd(whenModal<cw::Form3>(answer));
        started.start();
        f.form->Form_Activate();
        if (user == "again") {
            started.restart();
            f.withdrawAtEnd(whenModal<cw::Form3>(answer));
            f.form->PushButton3->click(); // "Add Birthday Today and Test"
        }
        QTRY_COMPARE(server.read(), calls);
        QTEST(f.form->duration, "duration");
        QCOMPARE(f.sandbox.messages->shown.size(), 0); // whatever the server does, no message
        QVERIFY(cw::readOption(cw::optionKeys[user == "press 2" ? 4 : stored]));
        QStringList lines{caps.contains("markup") ? "Tom &amp; &lt;b&gt;Jerry&lt;/b&gt;"
                                                  : "Tom & <b>Jerry</b>"};
        for (const char* name : {"Al", "Bo", "Cy", "Di"})
            lines << name;
        for (int i = 0; i < server.notices.size(); ++i) // five lines, then "and 2 more", "and 3 more"
            QCOMPARE(
                server.notices[i].toList(),
                QVariantList({"candlewise", "Birthday Alert!",
                              lines.join("'s birthday is today.\n") +
                                  QString("'s birthday is today.\nand %1 more").arg(2 + i),
                              QVariantMap{{"desktop-entry", "candlewise"}, {"suppress-sound", true}}, 0}));
    }
};

QTEST_MAIN(TestNotices)
#include "test_notices.moc"
