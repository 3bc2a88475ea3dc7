#pragma once

#include "platform/InstanceLock.h"

#include <QLocalServer>
#include <QObject>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrane {

// One copy of the program per data folder, whatever the display: the first copy holds
// the folder's lock and listens on a local socket; a later copy asks it to reopen.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Claim {
        // This is the copy that owns the data folder.
        first,
        // The running copy was told to reopen; this one leaves without error.
        handedOver,
        // This copy must not run; a line says why.
        failed,
    };

    // What the first copy answers to a request line of a later copy (one line each).
    using RequestHandler = std::function<std::string(const std::string& request)>;

    // What a copy that wants the data folder ends up with: the lock it tried (taken, or one
    // that cannot be had: unavailable or refused), or the running copy's answer. Neither
    // when the folder stayed locked and no copy answered in time.
    struct Turn {
        std::unique_ptr<InstanceLock> lock;
        std::optional<std::string> answer;
    };

    // onReopen runs in the first copy whenever a later copy is started; onRequest whenever
    // a later copy hands it a request.
    SingleInstance(std::filesystem::path dataFolder, std::function<void()> onReopen, RequestHandler onRequest = {});

    Claim claim();

    // Waits for the data folder: while another process holds its lock, hands the copy that
    // listens for the folder one request line, or tries the lock again once that process
    // (a command that stores items, a copy still starting) lets it go.
    static Turn awaitTurn(const std::filesystem::path& dataFolder, const std::string& request);

private:
    static Turn awaitTurn(const std::filesystem::path& dataFolder, const std::string& line, int answerTimeout);
    void listen();
    bool listenOn(const QString& socketPath);
    void answer(QLocalSocket* socket);

    std::filesystem::path dataFolder_;
    std::function<void()> onReopen_;
    RequestHandler onRequest_;
    std::unique_ptr<InstanceLock> lock_;
    std::vector<std::unique_ptr<QLocalServer>> servers_;
};

} // namespace kestrane
