#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

#include <functional>
#include <memory>

namespace kestrane {

// One copy of the program per user and display. The first copy holds a lock file and
// listens on a local socket; a later copy asks it to reopen and then leaves.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // onReopen runs in the first copy whenever a later copy is started.
    explicit SingleInstance(std::function<void()> onReopen);

    // True when this is the first copy; otherwise the first copy has been told to reopen.
    bool claim();

private:
    void listen();

    std::function<void()> onReopen_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
    QString name_;
};

} // namespace kestrane
