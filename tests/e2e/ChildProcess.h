#pragma once

#include <QDeadlineTimer>
#include <QProcess>

#include <chrono>
#include <csignal>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include <sys/prctl.h>

namespace kestrane::e2e {

using std::chrono::milliseconds;

// Asks `condition` every few milliseconds until it holds; false if it never did in time.
template <typename Condition> bool pollUntil(Condition condition, milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(milliseconds(20));
    }
    return true;
}

// A program whose standard output is read line by line; its standard error goes to ours
// unless discarded. It dies with the test binary, and destroying it stops it: SIGTERM,
// then SIGKILL if it does not go.
class ChildProcess {
public:
    enum class Diagnostics { shown, discarded };

    ChildProcess(const QStringList& command, const QProcessEnvironment& environment, Diagnostics diagnostics = Diagnostics::shown)
    {
        process_.setProcessEnvironment(environment);
        process_.setStandardInputFile(QProcess::nullDevice());
        if (diagnostics == Diagnostics::discarded)
            process_.setStandardErrorFile(QProcess::nullDevice());
        else
            process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // A test binary that dies (a crash, a CTest timeout) takes its X server and programs with it.
        process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
        process_.start(command.front(), command.mid(1));
        if (!process_.waitForStarted())
            throw std::runtime_error("cannot start " + command.front().toStdString());
    }
    ~ChildProcess() { stop(); }

    pid_t pid() const { return static_cast<pid_t>(process_.processId()); }

    // The next line without its line feed; none when the timeout passes or the output ends.
    std::optional<std::string> readLine(milliseconds timeout)
    {
        const QDeadlineTimer deadline(timeout);
        while (!process_.canReadLine()) {
            if (!process_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
                return std::nullopt;
        }
        return process_.readLine().chopped(1).toStdString();
    }

    bool isRunning() { return !waitForExit(milliseconds(0)); }

    // The exit status (128 + signal number for a killed program); none while it still runs.
    std::optional<int> waitForExit(milliseconds timeout)
    {
        if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(static_cast<int>(timeout.count())))
            return std::nullopt;
        return process_.exitStatus() == QProcess::CrashExit ? 128 + process_.exitCode() : process_.exitCode();
    }

    // SIGTERM, a grace period, then SIGKILL; answers the exit status.
    int stop()
    {
        if (isRunning()) {
            process_.terminate();
            if (!waitForExit(milliseconds(5000)))
                process_.kill();
        }
        return *waitForExit(milliseconds(10000));
    }

private:
    QProcess process_;
};

} // namespace kestrane::e2e
