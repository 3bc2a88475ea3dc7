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

void ManualMainQueue::postAfter(std::chrono::milliseconds delay, std::function<void()> task)
{
    std::lock_guard lock(mutex_);
    delayed_.emplace(elapsed_ + delay, std::move(task));
}

void ManualMainQueue::advance(std::chrono::milliseconds time)
{
    {
        std::lock_guard lock(mutex_);
        elapsed_ += time;
        const auto due = delayed_.upper_bound(elapsed_);
        for (auto task = delayed_.begin(); task != due; ++task)
            tasks_.push_back(std::move(task->second));
        delayed_.erase(delayed_.begin(), due);
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

int ManualMainQueue::runUntilIdle()
{
    int ran = runPendingWaiting(std::chrono::seconds(10));
    for (int more = ran; more > 0;) {
        more = runPendingWaiting(std::chrono::milliseconds(20));
        ran += more;
    }
    return ran;
}

bool ManualMainQueue::empty() const
{
    std::lock_guard lock(mutex_);
    return tasks_.empty();
}

} // namespace kestrane
