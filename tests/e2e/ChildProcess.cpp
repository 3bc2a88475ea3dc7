#include "ChildProcess.h"

#include <csignal>

#include <sys/prctl.h>

namespace kestrane::e2e {

ChildProcess::ChildProcess(const QStringList& command, const QProcessEnvironment& environment, Diagnostics diagnostics)
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

std::optional<std::string> ChildProcess::readLine(milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return std::nullopt;
    }
    return process_.readLine().chopped(1).toStdString();
}

bool ChildProcess::waitForLine(const std::string& line, milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    while (auto next = readLine(milliseconds(deadline.remainingTime()))) {
        if (*next == line)
            return true;
    }
    return false;
}

std::optional<int> ChildProcess::waitForExit(milliseconds timeout)
{
    if (process_.state() != QProcess::NotRunning && !process_.waitForFinished(static_cast<int>(timeout.count())))
        return std::nullopt;
    return process_.exitStatus() == QProcess::CrashExit ? 128 + process_.exitCode() : process_.exitCode();
}

int ChildProcess::stop()
{
    if (isRunning()) {
        process_.terminate();
        if (!waitForExit(milliseconds(5000)))
            process_.kill();
    }
    return *waitForExit(milliseconds(10000));
}

} // namespace kestrane::e2e
