#pragma once

#include "PollUntil.h"

#include <QProcess>

#include <optional>
#include <string>

#include <sys/types.h>

namespace kestrane::e2e {

// A program whose standard output is read line by line; its standard error goes to ours
// unless discarded. It dies with the test binary, and destroying it stops it: SIGTERM,
// then SIGKILL if it does not go.
class ChildProcess {
public:
    enum class Diagnostics { shown, discarded };

    ChildProcess(const QStringList& command, const QProcessEnvironment& environment,
        Diagnostics diagnostics = Diagnostics::shown);
    ~ChildProcess() { stop(); }

    pid_t pid() const { return static_cast<pid_t>(process_.processId()); }

    // The next line without its line feed; none when the timeout passes or the output ends.
    std::optional<std::string> readLine(milliseconds timeout);
    // Reads lines until one equals `line`; false when it did not come in time.
    bool waitForLine(const std::string& line, milliseconds timeout);

    bool isRunning() { return !waitForExit(milliseconds(0)); }
    // The exit status (128 + signal number for a killed program); none while it still runs.
    std::optional<int> waitForExit(milliseconds timeout);
    // SIGTERM, a grace period, then SIGKILL; answers the exit status.
    int stop();

private:
    QProcess process_;
};

} // namespace kestrane::e2e
