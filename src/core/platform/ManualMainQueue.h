#pragma once

#include "platform/MainQueue.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

namespace kestrane {

// A main queue for tests and headless runs: posted tasks wait until the owner runs them.
// Delayed tasks follow a clock of its own that only advance() moves.
class ManualMainQueue final : public MainQueue {
public:
    void post(std::function<void()> task) override;
    void postAfter(std::chrono::milliseconds delay, std::function<void()> task) override;

    // Runs the tasks posted so far, in order (tasks they post wait for the next call);
    // returns how many ran.
    int runPending();
    // Waits up to timeout for at least one posted task, then runs what is pending.
    int runPendingWaiting(std::chrono::milliseconds timeout);
    // Runs posts until background work has come back: the first may take up to ten
    // seconds, the rest follow it closely. Returns how many ran.
    int runUntilIdle();
    bool empty() const;
    // Moves the queue's clock on; delayed tasks now due become pending, earliest first.
    void advance(std::chrono::milliseconds time);

private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
    std::chrono::milliseconds elapsed_ { 0 };
    std::multimap<std::chrono::milliseconds, std::function<void()>> delayed_;
};

} // namespace kestrane
