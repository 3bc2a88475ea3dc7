#include "platform/ManualMainQueue.h"
#include "platform/SerialQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace kestrane;

TEST(SerialQueue, RunsTasksInOrderOffTheCallingThreadAndSyncWaitsForThem)
{
    SerialQueue queue("Kestrane.Test.queue");
    std::vector<int> order;
    std::thread::id worker;
    for (int i = 0; i < 1000; ++i)
        queue.async([&, i] {
            order.push_back(i);
            worker = std::this_thread::get_id();
        });
    queue.drain();
    std::vector<int> expected(1000);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(order, expected);
    EXPECT_NE(worker, std::this_thread::get_id());

    int seen = 0;
    queue.sync([&] { seen = static_cast<int>(order.size()); });
    EXPECT_EQ(seen, 1000);
}

TEST(SerialQueue, AThrowingTaskIsLoggedAndTheQueueCarriesOn)
{
    SerialQueue queue("Kestrane.Test.queue");
    ::testing::internal::CaptureStderr();
    queue.async([] { throw std::runtime_error("disk on fire"); });
    bool ran = false;
    queue.sync([&] { ran = true; });
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(ran);
    EXPECT_NE(log.find("disk on fire"), std::string::npos);
}

TEST(SerialQueue, DestructionFinishesEveryQueuedTask)
{
    std::atomic<int> ran = 0;
    {
        SerialQueue queue("Kestrane.Test.queue");
        queue.async([] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
        for (int i = 0; i < 100; ++i)
            queue.async([&] { ++ran; });
    }
    EXPECT_EQ(ran, 100);
}

TEST(ManualMainQueue, RunsPostsFromAnyThreadOnlyWhenAsked)
{
    ManualMainQueue main;
    std::vector<int> order;
    std::thread poster([&] {
        for (int i = 0; i < 3; ++i)
            main.post([&order, i] { order.push_back(i); });
    });
    poster.join();
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(main.runPending(), 3);
    EXPECT_EQ(order, (std::vector<int> { 0, 1, 2 }));

    // A task posted by a running task waits for the next turn.
    main.post([&] { main.post([&] { order.push_back(9); }); });
    EXPECT_EQ(main.runPending(), 1);
    EXPECT_FALSE(main.empty());
    EXPECT_EQ(main.runPending(), 1);
    EXPECT_EQ(order.back(), 9);

    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        main.post([&] { order.push_back(10); });
    });
    EXPECT_EQ(main.runPendingWaiting(std::chrono::seconds(10)), 1);
    late.join();
    EXPECT_EQ(order.back(), 10);
}
