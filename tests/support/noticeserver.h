#pragma once
// The checks' notification server (tests/e2e/sni_host.py) on the test's own session bus: the calls it
// got, in short, with the arguments of each Notify beside.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStringList>
#include <QVariantList>

namespace cwtest {

struct NoticeServer : QProcess {
    QStringList calls;
    QVariantList notices;
    ~NoticeServer() override {
        kill();
        waitForFinished();
    }
    QStringList read() {
        QEventLoop handled; // a round trip through the server's loop (a Ping never enters it) after
        const QString watcher = "org.kde.StatusNotifierWatcher"; // every call the program made before it
        QDBusPendingCallWatcher answer(
            QDBusConnection::sessionBus().asyncCall( // is handled after their answers
                QDBusMessage::createMethodCall("org.freedesktop.Notifications", "/StatusNotifierWatcher",
                                               "org.freedesktop.DBus.Properties", "Get")
                << watcher << "ProtocolVersion"));
        QObject::connect(&answer, &QDBusPendingCallWatcher::finished, &handled, &QEventLoop::quit);
        handled.exec();              // at once when no server runs
        while (waitForReadyRead(50)) // whole lines only: a line may come in pieces
            ;
        while (canReadLine()) {
            const QList<QByteArray> call = readLine().trimmed().split('\t');
            calls << QString::fromUtf8(call[0]);
            if (call.size() > 1)
                notices << QVariant(QJsonDocument::fromJson(call[1]).array().toVariantList());
        }
        return calls;
    }
};

} // namespace cwtest
