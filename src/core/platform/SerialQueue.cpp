#include "platform/SerialQueue.h"

#include "platform/Log.h"

#include <exception>
#include <future>
#include <pthread.h>

namespace kestrane {

namespace {
// Thread names are limited to 15 bytes; the end of the label is the telling part.
void nameCurrentThread(const std::string& label)
{
    constexpr std::size_t limit = 15;
    const std::string name = label.size() > limit ? label.substr(label.size() - limit) : label;
    pthread_setname_np(pthread_self(), name.c_str());
}

void runGuarded(const std::function<void()>& task, const std::string& label)
{
    try {
        task();
    } catch (const std::exception& error) {
        logLine("Kestrane: a task on " + label + " failed: " + error.what());
    } catch (...) {
        logLine("Kestrane: a task on " + label + " failed");
    }
}
} // namespace

SerialQueue::SerialQueue(std::string label)
    : label_(std::move(label))
    , worker_([this] { run(); })
{
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    worker_.join();
}

void SerialQueue::async(std::function<void()> task)
{
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void SerialQueue::sync(std::function<void()> task)
{
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    async([&] {
        runGuarded(task, label_);
        done.set_value();
    });
    finished.wait();
}

void SerialQueue::drain()
{
    sync([] {});
}

void SerialQueue::run()
{
    nameCurrentThread(label_);
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (tasks_.empty())
            return;
        std::function<void()> task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        runGuarded(task, label_);
        lock.lock();
    }
}

} // namespace kestrane
