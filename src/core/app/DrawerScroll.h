#pragma once

#include "engine/SpringValue.h"

namespace kestrane {

// The vertical scrolling of the drawer's list. Inside the list the offset follows the
// wheel and the touchpad; past either end it stretches with growing resistance, and once
// the input pauses it springs back to the end it passed. The stretch past the bottom is
// what charges the clearing of the pocket.
class DrawerScroll {
public:
    // How long the input must pause before a stretched list springs back, in seconds: a
    // touchpad's stream holds the stretch, while a wheel's notches each pull against it.
    static constexpr double releaseDelay = 0.03;

    // The height the list shows and the height of everything it holds.
    void setExtent(double visible, double content);
    // Scrolls toward the end of the list for a positive delta, in points. A smooth scroll
    // (a wheel's notch) glides to its place inside the list; otherwise, and past either
    // end, the list follows at once.
    void scrollBy(double delta, bool smooth, double now);
    // Glides the list so that the span [top, bottom] of its content is in view.
    void reveal(double top, double bottom);
    // Back to the top, at rest, for a drawer that opens.
    void reset();
    // Advances the glide and the spring back. True while the list moves.
    bool step(double dt, double now);

    // How far the content is scrolled up; below 0 or beyond the end while stretched.
    double offset() const { return shown_.value; }
    // How far the list is pulled past its end: positive only while stretched there.
    double bottomOverscroll() const { return shown_.value + visible_ - content_; }
    bool isMoving() const { return !released_ || target_ != shown_.value; }

private:
    double limit() const;
    double unresisted(double position) const;
    double resisted(double position) const;

    double visible_ = 0;
    double content_ = 0;
    double target_ = 0;
    SpringValue shown_;
    double lastInput_ = -1;
    bool released_ = true;
};

} // namespace kestrane
