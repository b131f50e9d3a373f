// The StatusNotifierItem shell on a session bus of its own, with the project's tray host started
// after it and then restarted: registered each time, and Activate over the bus is a click. Its
// notification server takes the balloons.
#include "gui/tray/csystray.h"
#include "gui/tray/programicon.h"
#include "support/noticeserver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QTest>

namespace {
QVariant watcherProperty(const QString& name) {
    QDBusMessage get = QDBusMessage::createMethodCall(
        "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties", "Get");
    get << "org.kde.StatusNotifierWatcher" << name;
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get);
    return reply.arguments().isEmpty() ? QVariant() : reply.arguments().at(0).value<QDBusVariant>().variant();
}
} // namespace

class TestSniTrayShell : public QObject {
    Q_OBJECT
  private slots:
    void followsTheHostAndTakesClicks() {
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        cw::cSysTray tray(cw::createStatusNotifierShell());
        QSignalSpy availability(&tray.shell(), &cw::TrayShell::availabilityChanged);
        tray.setTrayIcon(cw::programIcon());
        tray.setInTray(true);
        QVERIFY(!tray.shell().isAvailable());
        QStringList items;
        // The host starts after the program, then restarts with a server that reads markup.
        for (const QString caps : {"body", "body-markup"}) {
            cwtest::NoticeServer host;
            host.start("/usr/bin/python3", {CW_SNI_HOST, caps});
            QTRY_VERIFY_WITH_TIMEOUT((host.waitForReadyRead(10), host.canReadLine()), 10000);
            QCOMPARE(host.readLine(), "ready\n");
            QTRY_COMPARE((items = watcherProperty("RegisteredStatusNotifierItems").toStringList()).size(), 1);
            QTRY_VERIFY(tray.shell().isAvailable());
            tray.ShowBalloon("Tom & <b>Jerry</b>", "Candlewise", 5, false); // shown as it stands
            QTRY_COMPARE(host.read(), QStringList({"GetCapabilities", "Notify 0: "}));
            QCOMPARE(host.notices[0].toList(),
                     QVariantList(
                         {"", "Candlewise",
                          caps == "body-markup" ? "Tom &amp; &lt;b&gt;Jerry&lt;/b&gt;" : "Tom & <b>Jerry</b>",
                          QVariantMap{{"suppress-sound", true}}, 5000}));
            host.kill();
            host.waitForFinished();
            QTRY_VERIFY(!tray.shell().isAvailable());
        }
        QCOMPARE(availability.count(), 4);
        QVERIFY(items.first().startsWith(
            QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(QCoreApplication::applicationPid())));

        const QString service = items.first().section('/', 0, 0);
        QSignalSpy up(&tray, &cw::cSysTray::MouseUp);
        for (const char* method : {"Activate", "SecondaryActivate", "ContextMenu"}) {
            QDBusMessage call = QDBusMessage::createMethodCall(service, "/StatusNotifierItem",
                                                               "org.kde.StatusNotifierItem", method);
            QDBusConnection::sessionBus().call(call << 0 << 0);
        }
        QTRY_COMPARE(up.count(), 3);
        QCOMPARE(QList<int>({up[0][0].toInt(), up[1][0].toInt(), up[2][0].toInt()}), QList<int>({1, 1, 2}));
    }
};

QTEST_MAIN(TestSniTrayShell)
#include "test_snitrayshell.moc"
