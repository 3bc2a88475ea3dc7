#pragma once

#include <algorithm>
#include <chrono>
#include <thread>

namespace kestrane::e2e {

using std::chrono::milliseconds;

// A moment some time from now, for waits that poll.
class Deadline {
public:
    explicit Deadline(milliseconds timeout)
        : end_(std::chrono::steady_clock::now() + timeout)
    {
    }

    bool passed() const { return std::chrono::steady_clock::now() >= end_; }
    milliseconds remaining() const
    {
        return std::max(milliseconds(0), std::chrono::duration_cast<milliseconds>(end_ - std::chrono::steady_clock::now()));
    }

private:
    std::chrono::steady_clock::time_point end_;
};

// Asks `condition` every few milliseconds until it holds; false if it never did in time.
template <typename Condition>
bool pollUntil(Condition condition, milliseconds timeout)
{
    const Deadline deadline(timeout);
    while (!condition()) {
        if (deadline.passed())
            return false;
        std::this_thread::sleep_for(milliseconds(20));
    }
    return true;
}

} // namespace kestrane::e2e
