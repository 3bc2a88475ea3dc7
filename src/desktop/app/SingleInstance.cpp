#include "app/SingleInstance.h"

#include "platform/Log.h"
#include "platform/XdgPaths.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

namespace kestrane {

namespace {
// A copy that just took the lock may not be listening yet.
constexpr int handOverTimeout = 3000;
// A request stores or lists items in the running copy before it answers.
constexpr int requestTimeout = 10000;
constexpr int retryInterval = 100;
constexpr char reopenMessage[] = "reopen\n";
constexpr char reopenAnswer[] = "ok\n";
// sun_path holds 108 bytes with the terminating zero.
constexpr qsizetype longestSocketPath = 107;

// Named after the data folder, so that every copy that would write it finds the same
// socket; in the user's runtime folder when there is one, else in the data folder, both
// closed to other users.
QString socketPathFor(const std::filesystem::path& dataFolder)
{
    const QByteArray folder = QByteArray::fromStdString(dataFolder.lexically_normal().string());
    const QString hash = QCryptographicHash::hash(folder, QCryptographicHash::Sha256).toHex().left(16);
    for (const auto& base : { xdgRuntimeDirectory(), std::optional(dataFolder) }) {
        if (!base)
            continue;
        const QString path = QString::fromStdString(base->string()) + "/kestrane-" + hash + ".socket";
        if (path.toLocal8Bit().size() <= longestSocketPath)
            return path;
    }
    return {};
}
} // namespace

SingleInstance::SingleInstance(const std::filesystem::path& dataFolder, std::function<void()> onReopen, RequestHandler onRequest)
    : lock_(dataFolder)
    , onReopen_(std::move(onReopen))
    , onRequest_(std::move(onRequest))
    , socketPath_(socketPathFor(dataFolder))
{
}

SingleInstance::Claim SingleInstance::claim()
{
    switch (lock_.status()) {
    case InstanceLock::Status::taken:
        listen();
        return Claim::first;
    case InstanceLock::Status::held:
        if (handOver())
            return Claim::handedOver;
        logLine("Kestrane: another copy uses this data folder but does not answer; not starting a second one");
        return Claim::failed;
    case InstanceLock::Status::refused:
        logLine(lock_.reason());
        return Claim::failed;
    }
    return Claim::failed;
}

void SingleInstance::listen()
{
    if (socketPath_.isEmpty()) {
        logLine("Kestrane: the folder paths are too long for a local socket; a second launch cannot reach this copy");
        return;
    }
    // Holding the lock, this copy owns the socket: one left there was a crashed copy's.
    QLocalServer::removeServer(socketPath_);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(socketPath_)) {
        logLine("Kestrane: cannot listen for a second launch: " + server_.errorString().toStdString());
        return;
    }
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection())
            answer(socket);
    });
}

void SingleInstance::answer(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        while (socket->canReadLine()) {
            const QByteArray line = socket->readLine().trimmed();
            if (line == QByteArray(reopenMessage).trimmed()) {
                socket->write(reopenAnswer);
                if (onReopen_)
                    onReopen_();
            } else if (onRequest_) {
                socket->write(QByteArray::fromStdString(onRequest_(line.toStdString())) + "\n");
            }
        }
    });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
}

bool SingleInstance::handOver() const
{
    return exchange(socketPath_, reopenMessage, handOverTimeout) == reopenAnswer;
}

std::optional<std::string> SingleInstance::ask(const std::filesystem::path& dataFolder, const std::string& request)
{
    const auto answer = exchange(socketPathFor(dataFolder), QByteArray::fromStdString(request) + "\n", requestTimeout);
    if (!answer)
        return std::nullopt;
    return answer->trimmed().toStdString();
}

// Sends one line and reads one back.
std::optional<QByteArray> SingleInstance::exchange(const QString& socketPath, const QByteArray& line, int timeout)
{
    if (socketPath.isEmpty())
        return std::nullopt;
    const QDeadlineTimer deadline(timeout);
    QLocalSocket socket;
    while (true) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
            break;
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::msleep(retryInterval);
    }
    socket.write(line);
    socket.flush();
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return std::nullopt;
    }
    return socket.readLine();
}

} // namespace kestrane
