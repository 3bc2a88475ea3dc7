#include "desktop/app/SingleInstance.h"

#include "platform/Log.h"
#include "platform/XdgPaths.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

namespace kestrane {

namespace {
// How long a copy waits for the data folder's lock while no copy answers: commands that
// store items hold it for a moment each, and a copy that starts takes it before it listens.
constexpr int turnTimeout = 20000;
// A request stores or lists items in the running copy before it answers; a reopen is
// answered at once, unless the copy is still starting.
constexpr int requestTimeout = 10000;
constexpr int reopenTimeout = 5000;
// Connecting to a local socket succeeds or fails at once; this only bounds a full backlog.
constexpr int connectTimeout = 1000;
constexpr int retryInterval = 50;
constexpr char reopenMessage[] = "reopen";
constexpr char reopenAnswer[] = "ok";
constexpr char dataFolderSocket[] = "instance.socket";
// sun_path holds 108 bytes with the terminating zero.
constexpr qsizetype longestSocketPath = 107;

// Where a copy listens, named from the resolved data folder so that every name of the
// folder finds it: in the user's runtime folder, and in the data folder itself for copies
// whose XDG_RUNTIME_DIR differs. Both are closed to other users.
std::vector<QString> socketPaths(const InstanceLock& lock)
{
    std::vector<std::filesystem::path> candidates;
    if (const auto runtime = xdgRuntimeDirectory())
        candidates.push_back(*runtime / ("kestrane-" + InstanceLock::folderKey(lock.resolvedFolder()) + ".socket"));
    if (lock.inDataFolder())
        candidates.push_back(lock.resolvedFolder() / dataFolderSocket);
    std::vector<QString> paths;
    for (const auto& candidate : candidates) {
        const QString path = QString::fromStdString(candidate.string());
        if (path.toLocal8Bit().size() <= longestSocketPath)
            paths.push_back(path);
    }
    return paths;
}

struct Reply {
    // Whether a copy listened there and took the line.
    bool reached = false;
    std::optional<std::string> line;
};

// Sends one line and reads one back.
Reply exchange(const QString& socketPath, const std::string& line, int answerTimeout)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(connectTimeout))
        return {};
    socket.write(QByteArray::fromStdString(line) + "\n");
    socket.flush();
    const QDeadlineTimer deadline(answerTimeout);
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return { true, std::nullopt };
    }
    return { true, socket.readLine().trimmed().toStdString() };
}

// A line reaches at most one copy, and is never sent twice: a copy that took it may have
// acted on it even when its answer does not come.
Reply ask(const InstanceLock& lock, const std::string& line, int answerTimeout)
{
    for (const QString& path : socketPaths(lock)) {
        if (Reply reply = exchange(path, line, answerTimeout); reply.reached)
            return reply;
    }
    return {};
}
} // namespace

SingleInstance::SingleInstance(std::filesystem::path dataFolder, std::function<void()> onReopen, RequestHandler onRequest)
    : dataFolder_(std::move(dataFolder))
    , onReopen_(std::move(onReopen))
    , onRequest_(std::move(onRequest))
{
}

SingleInstance::Turn SingleInstance::awaitTurn(const std::filesystem::path& dataFolder, const std::string& request)
{
    return awaitTurn(dataFolder, request, requestTimeout);
}

SingleInstance::Turn SingleInstance::awaitTurn(const std::filesystem::path& dataFolder, const std::string& line, int answerTimeout)
{
    Turn turn { std::make_unique<InstanceLock>(dataFolder, xdgRuntimeDirectory()), std::nullopt };
    const QDeadlineTimer deadline(turnTimeout);
    while (turn.lock->status() == InstanceLock::Status::held) {
        if (const Reply reply = ask(*turn.lock, line, answerTimeout); reply.reached || deadline.hasExpired()) {
            turn.lock.reset();
            turn.answer = reply.line;
            break;
        }
        QThread::msleep(retryInterval);
        turn.lock->retry();
    }
    return turn;
}

SingleInstance::Claim SingleInstance::claim()
{
    Turn turn = awaitTurn(dataFolder_, reopenMessage, reopenTimeout);
    if (turn.answer == reopenAnswer)
        return Claim::handedOver;
    if (!turn.lock) {
        logLine("Kestrane: another copy uses this data folder but does not answer; not starting a second one");
        return Claim::failed;
    }
    lock_ = std::move(turn.lock);
    switch (lock_->status()) {
    case InstanceLock::Status::taken:
        if (!lock_->inDataFolder())
            logLine("Kestrane: the data folder " + lock_->resolvedFolder().string()
                + " cannot be written; what changes is kept only while this copy runs");
        listen();
        return Claim::first;
    // Nothing can write the folder, so this copy runs beside any other, saving nothing.
    case InstanceLock::Status::unavailable:
        logLine(lock_->reason());
        return Claim::first;
    case InstanceLock::Status::held:
    case InstanceLock::Status::refused:
        break;
    }
    logLine(lock_->reason());
    return Claim::failed;
}

void SingleInstance::listen()
{
    bool listening = false;
    for (const QString& path : socketPaths(*lock_))
        listening = listenOn(path) || listening;
    if (!listening)
        logLine("Kestrane: no local socket can be opened for this data folder; a second launch cannot reach this copy");
}

bool SingleInstance::listenOn(const QString& socketPath)
{
    // Holding the lock, this copy owns the socket: one left there was a crashed copy's.
    QLocalServer::removeServer(socketPath);
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketPath))
        return false;
    connect(server.get(), &QLocalServer::newConnection, this, [this, server = server.get()] {
        while (QLocalSocket* socket = server->nextPendingConnection())
            answer(socket);
    });
    servers_.push_back(std::move(server));
    return true;
}

void SingleInstance::answer(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
        while (socket->canReadLine()) {
            const QByteArray line = socket->readLine().trimmed();
            if (line == reopenMessage) {
                socket->write(QByteArray(reopenAnswer) + "\n");
                if (onReopen_)
                    onReopen_();
            } else if (onRequest_) {
                socket->write(QByteArray::fromStdString(onRequest_(line.toStdString())) + "\n");
            }
        }
    });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
}

} // namespace kestrane
