#include "platform/singleinstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace cw {

namespace {
const QByteArray showRequest = "show\n";

// Held while a start looks for a running instance and, finding none, begins to listen, so that
// two starts never both find none. The kernel drops the lock of a start that dies. A lock file
// that cannot be opened leaves the start unserialised rather than stopping it.
class StartLock {
  public:
    explicit StartLock(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~StartLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    StartLock(const StartLock&) = delete;
    StartLock& operator=(const StartLock&) = delete;

  private:
    int fd_;
};
} // namespace

SingleInstance::SingleInstance(const QString& socketPath, QObject* parent)
    : QObject(parent), socketPath_(socketPath) {}

QString SingleInstance::defaultSocketPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/candlewise.socket");
}

bool SingleInstance::becomeRunningInstance() {
    const StartLock lock(socketPath_ + QStringLiteral(".lock"));
    QLocalSocket socket;
    socket.connectToServer(socketPath_);
    if (socket.waitForConnected(1000)) {
        socket.write(showRequest);
        socket.waitForBytesWritten(1000);
        socket.disconnectFromServer();
        return false;
    }
    // A refused connection means nobody listens: the socket was left by an instance that died.
    // Any other failure leaves the socket alone; at worst this start runs without being found.
    if (socket.error() == QLocalSocket::ConnectionRefusedError)
        QLocalServer::removeServer(socketPath_);
    listen();
    return true;
}

void SingleInstance::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketPath_))
        return;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            connect(client, &QLocalSocket::readyRead, this, [this, client] {
                if (client->readAll().contains("show"))
                    emit showRequested();
            });
            connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        }
    });
}

} // namespace cw
