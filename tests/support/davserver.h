#pragma once
// A real CardDAV server for the address-book tests (radicale with a password, xandikos without), and
// the cards the tests write to it.
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

namespace cwtest {

inline QByteArray card(const QString& uid, const QString& name, const QString& birthday = {}) {
    QString text =
        QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:%1\r\nFN:%2\r\nN:;%2;;;\r\n").arg(uid, name);
    if (!birthday.isEmpty())
        text += QStringLiteral("BDAY:%1\r\n").arg(birthday);
    return (text + QStringLiteral("END:VCARD\r\n")).toUtf8();
}

// A CardDAV server of its own on a free loopback port, its storage in a temporary folder.
struct DavServer {
    QTemporaryDir dir;
    QProcess process;
    QString user;
    QString password;
    QUrl root;
    QUrl book;

    bool start(const QString& kind) {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const QString port = QString::number(probe.serverPort());
        probe.close();
        root = QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port));
        if (kind == QLatin1String("radicale")) {
            user = QStringLiteral("ann");
            password = QStringLiteral("s3cret");
            QFile users(dir.filePath("users"));
            users.open(QIODevice::WriteOnly);
            users.write((user + ':' + password + '\n').toUtf8());
            users.close();
            QFile config(dir.filePath("config"));
            config.open(QIODevice::WriteOnly);
            config.write(
                QStringLiteral("[server]\nhosts = 127.0.0.1:%1\n[auth]\ntype = htpasswd\nhtpasswd_filename = "
                               "%2\nhtpasswd_encryption = plain\n[storage]\nfilesystem_folder = %3\n")
                    .arg(port, users.fileName(), dir.filePath("collections"))
                    .toUtf8());
            config.close();
            process.start(QStringLiteral("radicale"), {QStringLiteral("--config"), config.fileName()});
            book = root.resolved(QUrl(QStringLiteral("/ann/friends/")));
        } else {
            process.start(QStringLiteral("xandikos"),
                          {"--defaults", "-d", dir.path(), "-p", port, "-l", "127.0.0.1"});
            book = root.resolved(QUrl(QStringLiteral("/user/contacts/addressbook/")));
        }
        for (int tries = 0; tries < 100 && process.state() != QProcess::NotRunning; ++tries) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, quint16(port.toInt()));
            if (socket.waitForConnected(100))
                return kind != QLatin1String("radicale") || makeBook(book, "Friends");
            QTest::qWait(100);
        }
        return false;
    }
    // An address book of the user's, beside the others.
    bool makeBook(const QUrl& url, const QString& name) {
        return put(url, "MKCOL",
                   "<mkcol xmlns=\"DAV:\" "
                   "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><set><prop><resourcetype>"
                   "<collection/><C:addressbook/></resourcetype><displayname>" +
                       name.toUtf8() + "</displayname></prop></set></mkcol>") == 201;
    }
    // The test writes to the server; Candlewise never does.
    int put(const QUrl& url, const char* method, const QByteArray& body) {
        QProcess curl;
        QStringList arguments{"-s", "-o",   "/dev/null",     "-w", "%{http_code}",
                              "-X", method, "--data-binary", "@-"};
        if (!user.isEmpty())
            arguments << "-u" << user + ':' + password;
        curl.start(QStringLiteral("curl"), arguments << url.toString());
        curl.write(body);
        curl.closeWriteChannel();
        curl.waitForFinished();
        return curl.readAllStandardOutput().toInt();
    }
    void putCard(const QString& uid, const QString& name, const QString& birthday = {}, QUrl in = {}) {
        QCOMPARE(
            put((in.isEmpty() ? book : in).resolved(QUrl(uid + ".vcf")), "PUT", card(uid, name, birthday)) /
                100,
            2);
    }
    void remove(const QString& uid) {
        QCOMPARE(put(book.resolved(QUrl(uid + ".vcf")), "DELETE", {}) / 100, 2);
    }
};

// Whether the file holds the text, in any table, column or free space.
inline bool fileHolds(const QString& path, const QByteArray& text) {
    QFile file(path);
    return !file.open(QIODevice::ReadOnly) || file.readAll().contains(text);
}

} // namespace cwtest
