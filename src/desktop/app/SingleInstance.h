#pragma once

#include "platform/InstanceLock.h"

#include <QLocalServer>
#include <QObject>

#include <filesystem>
#include <functional>

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

    // onReopen runs in the first copy whenever a later copy is started.
    SingleInstance(const std::filesystem::path& dataFolder, std::function<void()> onReopen);

    Claim claim();

private:
    void listen();
    void answer(QLocalSocket* socket);
    bool handOver() const;

    InstanceLock lock_;
    std::function<void()> onReopen_;
    QLocalServer server_;
    QString socketPath_;
};

} // namespace kestrane
