#pragma once

#include "platform/MainQueue.h"

namespace kestrane {

// Runs posted tasks on the Qt event loop of the main thread. Safe from any thread.
class QtMainQueue final : public MainQueue {
public:
    void post(std::function<void()> task) override;
    void postAfter(std::chrono::milliseconds delay, std::function<void()> task) override;
};

} // namespace kestrane
