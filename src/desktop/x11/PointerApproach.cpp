#include "x11/PointerApproach.h"

#include "x11/X11Display.h"

#include <QTransform>

#include <xcb/xinput.h>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <iostream>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace kestrane {

namespace {
// A hand moves the pointer at most about this fast (logical pixels per second) when it
// heads for the edge from afar; a faster flick is noticed a little late, still well before
// the pointer reaches the pockets, which lie beyond the reach line.
constexpr double assumedSpeed = 1200;
constexpr int shortestLook = 16;
// How soon a pointer that starts to move is looked at, to learn its speed.
constexpr int firstLook = 50;
constexpr int longestLook = 1000;
} // namespace

struct PointerApproach::Watcher {
    using Clock = std::chrono::steady_clock;

    Watcher(QObject* context, std::function<void()> approached);
    ~Watcher();

    void command(std::optional<Area> area, bool quit);
    void run();

    enum class State { idle, waitingForMotion, following };
    State begin();
    State follow();
    State look();
    bool selectMotion(bool watch);
    // The raw motions that came since the last drain.
    int drainEvents();
    int lookInterval(int x, double speed) const;

    QObject* context_;
    std::function<void()> approached_;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    int wakeUp_ = -1;
    bool available_ = false;

    std::mutex mutex_;
    std::optional<Area> wanted_;
    bool quit_ = false;

    // Only the thread reads these.
    Area area_;
    std::optional<X11Display::Pointer> last_;
    Clock::time_point lastLook_;
    int interval_ = shortestLook;
    std::thread thread_;
};

PointerApproach::Watcher::Watcher(QObject* context, std::function<void()> approached)
    : context_(context)
    , approached_(std::move(approached))
{
    connection_ = xcb_connect(nullptr, nullptr);
    wakeUp_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (xcb_connection_has_error(connection_) || wakeUp_ < 0)
        return;
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    // Raw events are delivered only to a client that says which XInput it speaks.
    const auto version = owned(xcb_input_xi_query_version_reply(connection_, xcb_input_xi_query_version(connection_, 2, 2), nullptr));
    if (!version || version->major_version < 2)
        return;
    available_ = true;
    thread_ = std::thread([this] { run(); });
}

PointerApproach::Watcher::~Watcher()
{
    if (thread_.joinable()) {
        command(std::nullopt, true);
        thread_.join();
    }
    if (wakeUp_ >= 0)
        close(wakeUp_);
    xcb_disconnect(connection_);
}

void PointerApproach::Watcher::command(std::optional<Area> area, bool quit)
{
    {
        std::lock_guard lock(mutex_);
        wanted_ = area;
        quit_ = quit;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wakeUp_, &one, sizeof one);
}

void PointerApproach::Watcher::run()
{
    State state = State::idle;
    for (;;) {
        pollfd waits[2] = { { wakeUp_, POLLIN, 0 },
            { xcb_get_file_descriptor(connection_), static_cast<short>(state == State::waitingForMotion ? POLLIN : 0), 0 } };
        const int ready = poll(waits, 2, state == State::following ? interval_ : -1);
        if (xcb_connection_has_error(connection_)) {
            std::cerr << "Kestrane: the pointer watch lost its X connection" << std::endl;
            return;
        }
        if (waits[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const auto read = ::read(wakeUp_, &count, sizeof count);
            std::lock_guard lock(mutex_);
            if (quit_)
                return;
            if (wanted_)
                area_ = *wanted_;
            state = wanted_ ? begin() : (selectMotion(false), State::idle);
            continue;
        }
        if (state == State::waitingForMotion)
            state = follow();
        else if (state == State::following && ready == 0)
            state = look();
    }
}

PointerApproach::Watcher::State PointerApproach::Watcher::begin()
{
    // Where the pointer rests when the loop falls asleep does not wake it again: only
    // moving does.
    last_ = X11Display::queryPointer(connection_, root_);
    lastLook_ = Clock::now();
    selectMotion(true);
    drainEvents();
    return State::waitingForMotion;
}

// The pointer started moving. From now on its motion queues unread until the next look,
// which comes soon, to see how fast it goes.
PointerApproach::Watcher::State PointerApproach::Watcher::follow()
{
    drainEvents();
    lastLook_ = Clock::now();
    interval_ = last_ ? std::min(firstLook, lookInterval(last_->x, 0)) : longestLook;
    return State::following;
}

PointerApproach::Watcher::State PointerApproach::Watcher::look()
{
    const auto pointer = X11Display::queryPointer(connection_, root_);
    const auto now = Clock::now();
    const double elapsed = std::chrono::duration<double>(now - lastLook_).count();
    const int motions = drainEvents();
    const auto before = std::exchange(last_, pointer);
    lastLook_ = now;
    if (motions == 0 || !pointer)
        return pointer ? State::waitingForMotion : State::following;
    if (!area_.screen.contains(pointer->x, pointer->y) || pointer->x >= area_.reachFrom || pointer->buttonsDown) {
        selectMotion(false);
        QMetaObject::invokeMethod(context_, approached_, Qt::QueuedConnection);
        return State::idle;
    }
    const double speed = before ? std::hypot(pointer->x - before->x, pointer->y - before->y) / std::max(elapsed, 0.001) : 0;
    interval_ = lookInterval(pointer->x, speed);
    return State::following;
}

// Soon enough that a pointer going twice as fast as it just did, or at the speed of a hand
// heading for the edge, cannot have passed the reach line unseen.
int PointerApproach::Watcher::lookInterval(int x, double speed) const
{
    const double scale = std::max(area_.scale, 0.1);
    const double distance = (area_.reachFrom - x) / scale;
    const double fastest = std::max(assumedSpeed, 2 * speed / scale);
    return std::clamp(static_cast<int>(1000 * distance / fastest), shortestLook, longestLook);
}

bool PointerApproach::Watcher::selectMotion(bool watch)
{
    struct {
        xcb_input_event_mask_t header;
        std::uint32_t mask;
    } selection { { XCB_INPUT_DEVICE_ALL_MASTER, 1 }, watch ? std::uint32_t { XCB_INPUT_XI_EVENT_MASK_RAW_MOTION } : 0u };
    xcb_input_xi_select_events(connection_, root_, 1, &selection.header);
    return xcb_flush(connection_) > 0;
}

int PointerApproach::Watcher::drainEvents()
{
    int count = 0;
    for (; xcb_generic_event_t* event = xcb_poll_for_event(connection_); ++count)
        std::free(event);
    return count;
}

PointerApproach::Area PointerApproach::Area::inRootPixels(const QRect& screen, double reachFrom, double scale)
{
    return { QTransform::fromScale(scale, scale).mapRect(screen), static_cast<int>(std::ceil(reachFrom * scale)), scale };
}

PointerApproach::PointerApproach(QObject* context, std::function<void()> approached)
    : watcher_(std::make_unique<Watcher>(context, std::move(approached)))
{
}

PointerApproach::~PointerApproach() = default;

bool PointerApproach::available() const
{
    return watcher_->available_;
}

void PointerApproach::watch(const Area& area)
{
    if (available())
        watcher_->command(area, false);
}

void PointerApproach::stop()
{
    if (available())
        watcher_->command(std::nullopt, false);
}

} // namespace kestrane
