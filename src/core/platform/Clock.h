#pragma once

namespace kestrane {

// A monotonic clock in seconds (the system uptime, or the media clock of the frame loop).
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
};

// The real monotonic clock: seconds since an arbitrary fixed point in the past.
class SteadyClock final : public Clock {
public:
    double now() const override;
};

// A clock that only moves when told to: for tests and scripted sessions.
class ManualClock final : public Clock {
public:
    explicit ManualClock(double start = 1000.0)
        : now_(start)
    {
    }
    double now() const override { return now_; }
    void advance(double seconds) { now_ += seconds; }
    void set(double seconds) { now_ = seconds; }

private:
    double now_;
};

} // namespace kestrane
