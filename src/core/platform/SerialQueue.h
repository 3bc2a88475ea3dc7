#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace kestrane {

// One worker thread that runs tasks in the order they were queued. A task that throws is
// logged and the queue carries on. The destructor finishes every queued task first.
class SerialQueue {
public:
    explicit SerialQueue(std::string label);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    void async(std::function<void()> task);
    // Runs task on the worker and returns once it has run, so every task queued before it
    // has run too. Must not be called from the worker itself.
    void sync(std::function<void()> task);
    // Returns once every task queued before the call has run.
    void drain();

    const std::string& label() const { return label_; }

private:
    void run();

    std::string label_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace kestrane
