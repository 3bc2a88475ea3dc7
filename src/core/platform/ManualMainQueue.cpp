#include "platform/ManualMainQueue.h"

namespace kestrane {

void ManualMainQueue::post(std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    posted_.notify_all();
}

int ManualMainQueue::runPending()
{
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(tasks_);
    }
    for (auto& task : batch)
        task();
    return static_cast<int>(batch.size());
}

int ManualMainQueue::runPendingWaiting(std::chrono::milliseconds timeout)
{
    {
        std::unique_lock lock(mutex_);
        posted_.wait_for(lock, timeout, [this] { return !tasks_.empty(); });
    }
    return runPending();
}

bool ManualMainQueue::empty() const
{
    std::lock_guard lock(mutex_);
    return tasks_.empty();
}

} // namespace kestrane
