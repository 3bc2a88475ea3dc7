#pragma once

#include "platform/InstanceLock.h"

#include <QLocalServer>
#include <QObject>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

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

    // onReopen runs in the first copy whenever a later copy is started; onRequest whenever
    // a later copy hands it a request.
    SingleInstance(const std::filesystem::path& dataFolder, std::function<void()> onReopen, RequestHandler onRequest = {});

    Claim claim();

    // From a copy that found the folder locked: hands the running copy one request line
    // and answers its reply; none when it does not answer.
    static std::optional<std::string> ask(const std::filesystem::path& dataFolder, const std::string& request);

private:
    void listen();
    void answer(QLocalSocket* socket);
    bool handOver() const;
    static std::optional<QByteArray> exchange(const QString& socketPath, const QByteArray& line, int timeout);

    InstanceLock lock_;
    std::function<void()> onReopen_;
    RequestHandler onRequest_;
    QLocalServer server_;
    QString socketPath_;
};

} // namespace kestrane
