#include "app/DrawerScroll.h"

#include <algorithm>

namespace kestrane {

namespace {
// How soft the stretch is: the list never stretches further than its own height, and
// half-way only after a pull of more than three times that.
constexpr double stretchSoftness = 0.3;
constexpr SpringMotion glideMotion { 0.16, 1.0 };
constexpr SpringMotion returnMotion { 0.38, 1.0 };

// A pull of `pull` points beyond an end shows as this stretch, for a list `height` tall.
double stretchFor(double pull, double height)
{
    return (1 - 1 / (pull * stretchSoftness / height + 1)) * height;
}

double pullFor(double stretch, double height)
{
    stretch = std::min(stretch, height * 0.999);
    return stretch * height / ((height - stretch) * stretchSoftness);
}
} // namespace

void DrawerScroll::setExtent(double visible, double content)
{
    visible_ = std::max(visible, 1.0);
    content_ = std::max(content, visible_);
}

double DrawerScroll::limit() const
{
    return content_ - visible_;
}

// Positions past an end are kept as the stretch the user sees; input moves them in the
// space of the pull that made that stretch.
double DrawerScroll::unresisted(double position) const
{
    if (position > limit())
        return limit() + pullFor(position - limit(), visible_);
    if (position < 0)
        return -pullFor(-position, visible_);
    return position;
}

double DrawerScroll::resisted(double position) const
{
    if (position > limit())
        return limit() + stretchFor(position - limit(), visible_);
    if (position < 0)
        return -stretchFor(-position, visible_);
    return position;
}

void DrawerScroll::scrollBy(double delta, bool smooth, double now)
{
    // Input that comes while the list springs back starts from where the user sees it.
    const double from = released_ ? shown_.value : target_;
    target_ = resisted(unresisted(from) + delta);
    lastInput_ = now;
    released_ = false;
    // Past an end the list answers at once, so that each notch of a wheel is felt as a pull.
    if (!smooth || target_ < 0 || target_ > limit())
        shown_.snap(target_);
}

void DrawerScroll::reveal(double top, double bottom)
{
    const double inView = std::clamp(target_, bottom - visible_, top);
    target_ = std::clamp(inView, 0.0, limit());
}

void DrawerScroll::reset()
{
    target_ = 0;
    shown_.snap(0);
    released_ = true;
}

bool DrawerScroll::step(double dt, double now)
{
    if (!released_ && now - lastInput_ >= releaseDelay)
        released_ = true;
    if (released_)
        target_ = std::clamp(target_, 0.0, limit());
    if (!isMoving())
        return false;
    shown_.step(target_, dt, released_ ? returnMotion : glideMotion);
    return true;
}

} // namespace kestrane
