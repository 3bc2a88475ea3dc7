#include "ChildProcess.h"

#include "Deadline.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrane::e2e {

namespace {
constexpr milliseconds exitPollInterval(5);
constexpr milliseconds killedExitWait(10000);

std::vector<char*> pointersTo(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}
} // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& command, const Environment& environment, Diagnostics diagnostics)
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    if (diagnostics == Diagnostics::discarded)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<std::string> arguments = command;
    std::vector<std::string> variables = environment.entries();
    const int error = ::posix_spawnp(&pid_, arguments.front().c_str(), &actions, nullptr,
        pointersTo(arguments).data(), pointersTo(variables).data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    if (error != 0) {
        ::close(pipeEnds[0]);
        throw std::runtime_error("cannot start " + command.front() + ": " + std::strerror(error));
    }
    output_ = pipeEnds[0];
}

ChildProcess::~ChildProcess()
{
    stop();
    ::close(output_);
}

std::optional<std::string> ChildProcess::readLine(milliseconds timeout)
{
    const Deadline deadline(timeout);
    while (true) {
        const auto end = buffer_.find('\n');
        if (end != std::string::npos) {
            std::string line = buffer_.substr(0, end);
            buffer_.erase(0, end + 1);
            return line;
        }
        if (!fillBuffer(deadline.remaining()))
            return std::nullopt;
    }
}

bool ChildProcess::waitForLine(const std::string& line, milliseconds timeout)
{
    const Deadline deadline(timeout);
    while (auto next = readLine(deadline.remaining())) {
        if (*next == line)
            return true;
    }
    return false;
}

// False when nothing came in time or the output has ended.
bool ChildProcess::fillBuffer(milliseconds timeout)
{
    pollfd wanted { output_, POLLIN, 0 };
    int ready;
    do
        ready = ::poll(&wanted, 1, static_cast<int>(timeout.count()));
    while (ready < 0 && errno == EINTR);
    if (ready <= 0)
        return false;
    char chunk[4096];
    const ssize_t count = ::read(output_, chunk, sizeof chunk);
    if (count <= 0)
        return false;
    buffer_.append(chunk, static_cast<std::size_t>(count));
    return true;
}

bool ChildProcess::isRunning()
{
    return !waitForExit(milliseconds(0));
}

std::optional<int> ChildProcess::waitForExit(milliseconds timeout)
{
    const Deadline deadline(timeout);
    while (!exitStatus_) {
        int waitStatus = 0;
        const pid_t reaped = ::waitpid(pid_, &waitStatus, WNOHANG);
        if (reaped == pid_)
            recordStatus(waitStatus);
        else if (deadline.passed())
            return std::nullopt;
        else
            std::this_thread::sleep_for(exitPollInterval);
    }
    return exitStatus_;
}

void ChildProcess::recordStatus(int waitStatus)
{
    exitStatus_ = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

int ChildProcess::stop(milliseconds grace)
{
    if (!exitStatus_ && isRunning()) {
        ::kill(pid_, SIGTERM);
        if (!waitForExit(grace)) {
            ::kill(pid_, SIGKILL);
            waitForExit(killedExitWait);
        }
    }
    return *exitStatus_;
}

} // namespace kestrane::e2e
