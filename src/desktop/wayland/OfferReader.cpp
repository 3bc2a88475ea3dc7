#include "wayland/OfferReader.h"

#include "platform/Log.h"

#include <wayland-client.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace kestrane {

OfferReader::OfferReader(wl_display* display, std::string what)
    : display_(display)
    , what_(std::move(what))
{
    giveUp_.setSingleShot(true);
    giveUp_.setInterval(timeoutMs);
    QObject::connect(&giveUp_, &QTimer::timeout, [this] {
        logLine("Kestrane: the " + what_ + " " + type_ + " did not arrive in time; it is not taken");
        finish(false);
    });
}

OfferReader::~OfferReader()
{
    cancel();
}

void OfferReader::read(wl_data_offer* offer, const std::string& type, Done done)
{
    cancel();
    std::array<int, 2> pipe {};
    if (pipe2(pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
        logLine("Kestrane: no pipe to read the " + what_ + " " + type);
        return done(std::nullopt);
    }
    wl_data_offer_receive(offer, type.c_str(), pipe[1]);
    wl_display_flush(display_);
    close(pipe[1]);
    type_ = type;
    fd_ = pipe[0];
    done_ = std::move(done);
    bytes_.clear();
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readMore(); });
    giveUp_.start();
}

void OfferReader::cancel()
{
    done_ = nullptr;
    finish(false);
}

void OfferReader::readMore()
{
    std::array<char, 65536> chunk {};
    for (;;) {
        const ssize_t got = ::read(fd_, chunk.data(), chunk.size());
        if (got > 0) {
            bytes_.append(chunk.data(), got);
            if (bytes_.size() <= largest)
                continue;
            logLine("Kestrane: the " + what_ + " " + type_ + " is larger than 64 MiB; it is not taken");
            return finish(false);
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        return finish(got == 0);
    }
}

void OfferReader::finish(bool complete)
{
    giveUp_.stop();
    notifier_.reset();
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
    std::optional<QByteArray> bytes;
    if (complete)
        bytes = bytes_;
    bytes_.clear();
    if (auto done = std::exchange(done_, nullptr))
        done(std::move(bytes));
}

} // namespace kestrane
