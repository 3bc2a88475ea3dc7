#include "app/SingleInstance.h"

#include "platform/Log.h"
#include "platform/XdgPaths.h"

#include <QDir>
#include <QLocalSocket>

#include <unistd.h>

namespace kestrane {

namespace {
constexpr int connectTimeout = 2000;
constexpr char reopenMessage[] = "reopen\n";

// Per user and per display, so that sessions on two displays each run their own copy.
QString instanceName()
{
    QString display = qEnvironmentVariable("DISPLAY", "default");
    display.replace('/', '_').replace(':', '_');
    return QString("kestrane-%1-%2").arg(::getuid()).arg(display);
}

QString runtimeFolder()
{
    if (auto folder = xdgRuntimeDirectory())
        return QString::fromStdString(folder->string());
    return QDir::tempPath();
}
} // namespace

SingleInstance::SingleInstance(std::function<void()> onReopen)
    : onReopen_(std::move(onReopen))
    , name_(instanceName())
{
}

bool SingleInstance::claim()
{
    lock_ = std::make_unique<QLockFile>(runtimeFolder() + "/" + name_ + ".lock");
    // A lock left by a copy that crashed is taken over at once.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(100)) {
        listen();
        return true;
    }
    QLocalSocket socket;
    socket.connectToServer(runtimeFolder() + "/" + name_);
    if (socket.waitForConnected(connectTimeout)) {
        socket.write(reopenMessage);
        socket.waitForBytesWritten(connectTimeout);
        socket.disconnectFromServer();
    }
    return false;
}

void SingleInstance::listen()
{
    const QString path = runtimeFolder() + "/" + name_;
    QLocalServer::removeServer(path);
    if (!server_.listen(path)) {
        logLine("Kestrane: cannot listen for a second launch: " + server_.errorString().toStdString());
        return;
    }
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("reopen") && onReopen_)
                    onReopen_();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

} // namespace kestrane
