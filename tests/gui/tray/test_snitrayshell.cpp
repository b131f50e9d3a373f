// The StatusNotifierItem shell on a session bus of its own, with the project's tray host started
// after it and then restarted: registered each time, and Activate over the bus is a click.
#include "gui/tray/csystray.h"
#include "gui/tray/programicon.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
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
        for (int start = 0; start < 2; ++start) { // the host starts after the program, then restarts
            QProcess host;
            host.start("/usr/bin/python3", {CW_SNI_HOST});
            QVERIFY(host.waitForReadyRead(10000) && host.readLine().trimmed() == "ready");
            QTRY_COMPARE((items = watcherProperty("RegisteredStatusNotifierItems").toStringList()).size(), 1);
            QTRY_VERIFY(tray.shell().isAvailable());
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
