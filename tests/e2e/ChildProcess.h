#pragma once

#include "Deadline.h"
#include "Environment.h"

#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace kestrane::e2e {

// A program started with fork and exec, its standard output read through a pipe line by
// line; its standard error goes to ours unless discarded. Destroying it stops the
// program: SIGTERM, then SIGKILL if it does not go.
class ChildProcess {
public:
    enum class Diagnostics { shown, discarded };

    ChildProcess(const std::vector<std::string>& command, const Environment& environment,
        Diagnostics diagnostics = Diagnostics::shown);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }

    // The next line without its line feed; none when the timeout passes or the output ends.
    std::optional<std::string> readLine(milliseconds timeout);
    // Reads lines until one equals `line`; false when it did not come in time.
    bool waitForLine(const std::string& line, milliseconds timeout);

    bool isRunning();
    // The exit status (128 + signal number for a killed program); none while it still runs.
    std::optional<int> waitForExit(milliseconds timeout);
    // SIGTERM, a grace period, then SIGKILL; answers the exit status.
    int stop(milliseconds grace = milliseconds(5000));

private:
    bool fillBuffer(milliseconds timeout);
    void recordStatus(int waitStatus);

    pid_t pid_ = -1;
    int output_ = -1;
    std::string buffer_;
    std::optional<int> exitStatus_;
};

} // namespace kestrane::e2e
