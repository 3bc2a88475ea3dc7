#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <functional>

namespace kestrane {

// The frame clock: calls the frame at the screen's refresh rate while anything moves, a
// few times a second while the loop idles with a button held, and not at all while asleep,
// until something wakes it. Frames keep the refresh rate on average although a timer
// counts whole milliseconds.
class FramePacer {
public:
    enum class Pace { active, slow, asleep };

    static constexpr double highestRate = 120;
    static constexpr double slowRate = 20;

    explicit FramePacer(std::function<void()> frame);

    // Frames per second while active, at most highestRate; unknown (0) counts as 60.
    void setRefreshRate(double hertz);
    void setPace(Pace pace);
    // Back to the active pace; the next frame comes at once when the loop slept.
    void wake();
    Pace pace() const { return pace_; }
    // With a reporter, the frames of every second in which there were any, and the longest
    // time one of them took, in seconds.
    void reportFramesEachSecond(std::function<void(int frames, double longest)> reporter) { reporter_ = std::move(reporter); }
    // Time the current frame spent working (stepping, drawing), counted towards the longest.
    void addWork(double seconds) { currentWork_ += seconds; }

private:
    void fire();
    void scheduleNext();
    double now() const;
    double interval() const;
    void countFrame();

    std::function<void()> frame_;
    QTimer timer_;
    QElapsedTimer clock_;
    Pace pace_ = Pace::active;
    double refreshRate_ = 60;
    double nextFrame_ = 0;
    std::function<void(int, double)> reporter_;
    double secondStart_ = 0;
    int framesThisSecond_ = 0;
    double currentWork_ = 0;
    double longestThisSecond_ = 0;
};

} // namespace kestrane
