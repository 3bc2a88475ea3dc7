#include "edge/FramePacer.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestrane {

FramePacer::FramePacer(std::function<void()> frame)
    : frame_(std::move(frame))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
    clock_.start();
    timer_.start(0);
}

void FramePacer::setRefreshRate(double hertz)
{
    refreshRate_ = hertz > 0 ? std::min(hertz, highestRate) : 60;
}

void FramePacer::setPace(Pace pace)
{
    if (pace == pace_)
        return;
    pace_ = pace;
    if (pace == Pace::asleep)
        timer_.stop();
    else if (!timer_.isActive())
        timer_.start(0);
}

void FramePacer::wake()
{
    if (pace_ == Pace::active && timer_.isActive())
        return;
    if (pace_ == Pace::asleep)
        nextFrame_ = now();
    pace_ = Pace::active;
    if (!timer_.isActive() || timer_.remainingTime() > static_cast<int>(std::ceil(interval() * 1000)))
        timer_.start(0);
}

double FramePacer::now() const
{
    return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

double FramePacer::interval() const
{
    return 1 / (pace_ == Pace::active ? refreshRate_ : slowRate);
}

void FramePacer::fire()
{
    countFrame();
    frame_();
    if (pace_ != Pace::asleep)
        scheduleNext();
}

// Each frame is due one interval after the last one was due, so that rounding to whole
// milliseconds evens out; a loop that fell behind starts counting afresh.
void FramePacer::scheduleNext()
{
    const double current = now();
    nextFrame_ += interval();
    if (nextFrame_ < current - interval() || nextFrame_ > current + interval())
        nextFrame_ = current + interval();
    timer_.start(static_cast<int>(std::lround(std::max(0.0, nextFrame_ - current) * 1000)));
}

void FramePacer::countFrame()
{
    if (!reporter_)
        return;
    const double current = now();
    longestThisSecond_ = std::max(longestThisSecond_, std::exchange(currentWork_, 0));
    if (current - secondStart_ >= 1) {
        if (framesThisSecond_ > 0)
            reporter_(framesThisSecond_, longestThisSecond_);
        secondStart_ = current;
        framesThisSecond_ = 0;
        longestThisSecond_ = 0;
    }
    ++framesThisSecond_;
}

} // namespace kestrane
