#include "StderrOf.h"
#include "platform/ManualMainQueue.h"
#include "platform/SerialQueue.h"

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace kestrane;

TEST(SerialQueue, RunsTasksInOrderOffTheCallingThreadSurvivesThrowsAndFinishesAllAtTheEnd)
{
    std::vector<int> order;
    std::atomic<bool> onCaller = false;
    auto queueUpTo = [&](SerialQueue& queue, int first, int end) {
        queue.async([] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
        for (int i = first; i < end; ++i)
            queue.async([&, caller = std::this_thread::get_id(), i] {
                order.push_back(i);
                onCaller = onCaller || std::this_thread::get_id() == caller;
            });
    };
    std::string log;
    {
        SerialQueue queue("Kestrane.Test.queue");
        log = kestrane::testing::stderrOf([&] {
            queueUpTo(queue, 0, 1);
            queue.async([] { throw std::runtime_error("disk on fire"); });
            queue.sync([&] { order.push_back(1); });
        });
        EXPECT_EQ(order.size(), 2u) << "sync waits for its task";
        queueUpTo(queue, 2, 50);
        queue.drain();
        EXPECT_EQ(order.size(), 50u) << "drain waits for every queued task";
        queueUpTo(queue, 50, 100);
    }
    EXPECT_NE(log.find("disk on fire"), std::string::npos);
    ASSERT_EQ(order.size(), 100u) << "destruction finishes every queued task";
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
    EXPECT_FALSE(onCaller);
}

TEST(ManualMainQueue, RunsPostsFromAnyThreadOnlyWhenAsked)
{
    ManualMainQueue main;
    std::vector<int> order;
    std::thread([&] {
        for (int i = 0; i < 3; ++i)
            main.post([&order, i] { order.push_back(i); });
    }).join();
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(main.runPending(), 3);
    EXPECT_EQ(order, (std::vector<int> { 0, 1, 2 }));

    // A task posted by a running task waits for the next turn.
    main.post([&] { main.post([&] { order.push_back(9); }); });
    EXPECT_EQ(main.runPending(), 1);
    EXPECT_FALSE(main.empty());
    EXPECT_EQ(main.runPending(), 1);
    EXPECT_EQ(order.back(), 9);
}
