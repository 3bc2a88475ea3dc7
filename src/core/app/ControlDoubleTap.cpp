#include "app/ControlDoubleTap.h"

#include "preferences/KeyEvent.h"

#include <utility>

namespace kestrane {

namespace {
// Num Lock has no flag here: its state never matters.
constexpr std::uint64_t watchedFlags = modifier::capsLock | modifier::shortcutFlags;
} // namespace

bool ControlDoubleTap::modifiersChanged(std::uint64_t flags, double now)
{
    flags &= watchedFlags;
    const std::uint64_t previous = std::exchange(flags_, flags);
    const bool controlWasDown = previous & modifier::control, controlIsDown = flags & modifier::control;
    if (!controlWasDown && controlIsDown) {
        if (flags == modifier::control)
            pressDown_ = now;
        else
            forget();
        return false;
    }
    if (controlWasDown && !controlIsDown) {
        const std::optional<double> down = std::exchange(pressDown_, std::nullopt);
        if (!down)
            return false;
        if (lastTap_ && *down - *lastTap_ < window) {
            // A third tap right after starts a new pair instead of toggling back.
            lastTap_.reset();
            return true;
        }
        lastTap_ = down;
        return false;
    }
    if (flags & ~previous)
        forget();
    return false;
}

void ControlDoubleTap::otherInputPressed()
{
    forget();
}

void ControlDoubleTap::forget()
{
    pressDown_.reset();
    lastTap_.reset();
}

} // namespace kestrane
