#pragma once

#include <chrono>
#include <deque>
#include <functional>

namespace kestrane {

// Work posted back to the main thread (results of background tasks). Safe to call from
// any thread.
class MainQueue {
public:
    virtual ~MainQueue() = default;
    virtual void post(std::function<void()> task) = 0;
    // Runs task on the main thread once delay has passed. Tasks still waiting when the
    // program ends never run.
    virtual void postAfter(std::chrono::milliseconds delay, std::function<void()> task) = 0;
};

} // namespace kestrane
