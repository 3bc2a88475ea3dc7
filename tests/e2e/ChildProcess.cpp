#include "ChildProcess.h"

#include "Deadline.h"

#include <cerrno>
#include <cstdlib>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrane::e2e {

namespace {
constexpr milliseconds exitPollInterval(5);
constexpr milliseconds killedExitWait(10000);

// The file that execvp would run, found before forking so that the child need not look.
std::string executablePath(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/bin:/bin";
    while (!folders.empty()) {
        const auto colon = folders.find(':');
        const std::string candidate = std::string(folders.substr(0, colon)) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        folders.remove_prefix(colon == std::string_view::npos ? folders.size() : colon + 1);
    }
    throw std::runtime_error("cannot start " + name + ": not found on PATH");
}

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
    const std::string program = executablePath(command.front());
    std::vector<std::string> arguments = command;
    std::vector<std::string> variables = environment.entries();
    const std::vector<char*> argv = pointersTo(arguments);
    const std::vector<char*> envp = pointersTo(variables);
    const pid_t parent = ::getpid();

    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe2 failed");
    pid_ = ::fork();
    if (pid_ < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        throw std::runtime_error("fork failed");
    }
    if (pid_ == 0) {
        // Only async-signal-safe calls from here on. A test binary that dies (a crash, a
        // CTest timeout) takes its X server and programs with it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
        const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        ::dup2(nothing, STDIN_FILENO);
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        if (diagnostics == Diagnostics::discarded)
            ::dup2(nothing, STDERR_FILENO);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
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
