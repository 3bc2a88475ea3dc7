#pragma once

#include <QDeadlineTimer>

#include <chrono>
#include <thread>

namespace kestrane::e2e {

using std::chrono::milliseconds;

// Asks `condition` every few milliseconds until it holds; false if it never did in time.
template <typename Condition>
bool pollUntil(Condition condition, milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        std::this_thread::sleep_for(milliseconds(20));
    }
    return true;
}

} // namespace kestrane::e2e
