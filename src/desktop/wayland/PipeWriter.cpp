#include "wayland/PipeWriter.h"

#include "platform/Log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <mutex>

namespace kestrane {

void PipeWriter::start(int fd, QByteArray bytes)
{
    // A receiver that closes its end early must cost a failed write, not the program.
    static std::once_flag pipeSignalIgnored;
    std::call_once(pipeSignalIgnored, [] { std::signal(SIGPIPE, SIG_IGN); });
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    auto* writer = new PipeWriter(fd, std::move(bytes));
    writer->writeMore();
}

PipeWriter::PipeWriter(int fd, QByteArray bytes)
    : fd_(fd)
    , bytes_(std::move(bytes))
    , notifier_(fd, QSocketNotifier::Write)
{
    connect(&notifier_, &QSocketNotifier::activated, this, &PipeWriter::writeMore);
    stall_.setSingleShot(true);
    stall_.setInterval(stallTimeoutMs);
    connect(&stall_, &QTimer::timeout, this, [this] {
        logLine("Kestrane: a receiver stopped reading what it asked for; the rest is not sent");
        deleteLater();
    });
    stall_.start();
}

PipeWriter::~PipeWriter()
{
    close(fd_);
}

void PipeWriter::writeMore()
{
    while (written_ < bytes_.size()) {
        const ssize_t wrote = ::write(fd_, bytes_.constData() + written_, static_cast<std::size_t>(bytes_.size() - written_));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote < 0 && errno == EAGAIN) {
            stall_.start();
            return;
        }
        if (wrote < 0)
            break;
        written_ += wrote;
    }
    notifier_.setEnabled(false);
    deleteLater();
}

} // namespace kestrane
