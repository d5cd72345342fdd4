#include "app/callqueue/CallQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Waits (yielding, never sleeping) until the producer's entry is in the queue.
void WaitUntilQueued(const CallQueue& queue, int id)
{
    while (!queue.IsCallQueued(id))
        std::this_thread::yield();
}

TEST(CallQueue, RunsCallsInPostingOrderOnTheConsumerThreadAndReleasesAfterwards)
{
    CallQueue queue;
    const std::thread::id consumer = std::this_thread::get_id();
    std::vector<int> order;  // touched by the consumer only
    std::atomic<bool> ranOnConsumer[2] = {false, false};
    CallQueue::Result results[2] = {CallQueue::Result::Refused, CallQueue::Result::Refused};
    std::atomic<bool> returned[2] = {false, false};

    std::thread first([&] {
        results[0] = queue.InvokeAndWait([&] {
            order.push_back(0);
            ranOnConsumer[0] = std::this_thread::get_id() == consumer;
        });
        returned[0] = true;
    });
    WaitUntilQueued(queue, 0);
    std::thread second([&] {
        results[1] = queue.InvokeAndWait([&] {
            order.push_back(1);
            ranOnConsumer[1] = std::this_thread::get_id() == consumer;
        });
        returned[1] = true;
    });
    WaitUntilQueued(queue, 1);

    // Nothing has run yet, so nobody may have been released.
    EXPECT_FALSE(returned[0]);
    EXPECT_FALSE(returned[1]);
    EXPECT_TRUE(order.empty());

    queue.RunQueuedCalls();
    first.join();
    second.join();

    EXPECT_EQ(order, (std::vector<int>{0, 1}));
    EXPECT_TRUE(ranOnConsumer[0]);
    EXPECT_TRUE(ranOnConsumer[1]);
    EXPECT_EQ(results[0], CallQueue::Result::Ran);
    EXPECT_EQ(results[1], CallQueue::Result::Ran);
    EXPECT_FALSE(queue.IsCallQueued(0));
    EXPECT_FALSE(queue.IsCallQueued(1));
}

TEST(CallQueue, EntryStaysQueuedWhileItsCallableRuns)
{
    CallQueue queue;
    bool queuedDuringCall = false;
    std::thread producer([&] { queue.InvokeAndWait([&] { queuedDuringCall = queue.IsCallQueued(0); }); });
    WaitUntilQueued(queue, 0);
    queue.RunQueuedCalls();
    producer.join();
    EXPECT_TRUE(queuedDuringCall);
}

TEST(CallQueue, ShutdownReleasesAWaitingProducerAndWithdrawsItsCall)
{
    CallQueue queue;
    std::atomic<bool> ran{false};
    CallQueue::Result result = CallQueue::Result::Ran;
    std::thread producer([&] { result = queue.InvokeAndWait([&] { ran = true; }); });
    WaitUntilQueued(queue, 0);

    queue.Shutdown();
    producer.join();

    EXPECT_EQ(result, CallQueue::Result::Withdrawn);
    EXPECT_FALSE(queue.IsCallQueued(0));
    queue.RunQueuedCalls();
    EXPECT_FALSE(ran);
    // Later posts are refused at once instead of waiting for a consumer that is gone.
    EXPECT_EQ(queue.InvokeAndWait([&] { ran = true; }), CallQueue::Result::Refused);
    EXPECT_FALSE(ran);
}

TEST(CallQueue, ThrowingCallableReleasesItsProducerAndTheOthersStillRun)
{
    CallQueue queue;
    CallQueue::Result results[2] = {CallQueue::Result::Refused, CallQueue::Result::Refused};
    bool secondRan = false;
    std::thread first([&] { results[0] = queue.InvokeAndWait([] { throw std::runtime_error("switch failed"); }); });
    WaitUntilQueued(queue, 0);
    std::thread second([&] { results[1] = queue.InvokeAndWait([&] { secondRan = true; }); });
    WaitUntilQueued(queue, 1);

    EXPECT_NO_THROW(queue.RunQueuedCalls());
    first.join();
    second.join();

    EXPECT_EQ(results[0], CallQueue::Result::Threw);
    EXPECT_EQ(results[1], CallQueue::Result::Ran);
    EXPECT_TRUE(secondRan);
    EXPECT_EQ(queue.GetLastError(), "switch failed");
    EXPECT_FALSE(queue.IsCallQueued(0));

    // The queue keeps working after the fault.
    std::thread third([&] { results[0] = queue.InvokeAndWait([] {}); });
    WaitUntilQueued(queue, 2);
    queue.RunQueuedCalls();
    third.join();
    EXPECT_EQ(results[0], CallQueue::Result::Ran);
}

TEST(CallQueue, EmptyCallableIsRefusedAndAnEmptyRunDoesNothing)
{
    CallQueue queue;
    EXPECT_EQ(queue.InvokeAndWait(std::function<void()>()), CallQueue::Result::Refused);
    EXPECT_FALSE(queue.IsCallQueued(0));
    queue.RunQueuedCalls();
    EXPECT_FALSE(queue.IsCallQueued(0));
}

TEST(CallQueue, CallPostedByARunningCallableWaitsForTheNextRun)
{
    CallQueue queue;
    std::atomic<int> lateRuns{0};
    std::thread lateProducer;
    std::atomic<bool> lateDone{false};
    std::thread producer([&] {
        queue.InvokeAndWait([&] {
            // Posting from inside a run (on another thread) must not run in this run.
            lateProducer = std::thread([&] {
                queue.InvokeAndWait([&] { ++lateRuns; });
                lateDone = true;
            });
        });
    });
    WaitUntilQueued(queue, 0);
    queue.RunQueuedCalls();
    producer.join();
    WaitUntilQueued(queue, 1);
    EXPECT_EQ(lateRuns, 0);
    EXPECT_FALSE(lateDone);
    queue.RunQueuedCalls();
    lateProducer.join();
    EXPECT_EQ(lateRuns, 1);
}

}  // namespace
