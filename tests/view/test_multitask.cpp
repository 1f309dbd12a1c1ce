#include "view/multitask.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace vemora;
using namespace vemora::nsp_Multiprocessing;

namespace {

// The owner's handshake: running is set before the thread starts, the entry clears it when it
// leaves, and a stop request is a flag the entry polls.
struct Work {
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
    std::atomic<long> loops{0};
    int result = 42;
};

void* work_entry(void* p)
{
    auto* w = static_cast<Work*>(p);
    while (!w->stop.load()) {
        ++w->loops;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
    w->running = false;
    return &w->result;
}

void* null_entry(void*)
{
    return nullptr;
}

} // namespace

TEST(MultiTask, StartsAndRunsEntryWithItsData)
{
    Work w;
    {
        PointerHolder<MultiTask> task = create_multitask_holder();
        w.running = true;
        ASSERT_TRUE(task->start_thread(&work_entry, &w));
        while (w.loops.load() == 0)
            std::this_thread::yield();
        w.stop = true;
        EXPECT_EQ(task->stop_thread(), kNoErr);
        EXPECT_FALSE(w.running.load());
        EXPECT_EQ(static_cast<ThreadMultiTask*>(task.get())->last_result(), 42);
    }
}

TEST(MultiTask, StopRequestedBeforeTheThreadRanIsHonoured)
{
    for (int i = 0; i < 50; ++i) {
        Work w;
        PointerHolder<MultiTask> task = create_multitask_holder();
        w.running = true;
        ASSERT_TRUE(task->start_thread(&work_entry, &w));
        w.stop = true; // at once, most likely before the thread was scheduled
        task->stop_thread();
        EXPECT_FALSE(w.running.load()) << "round " << i;
    }
}

TEST(MultiTask, NoThreadOutlivesItsOwner)
{
    Work a, b;
    a.running = b.running = true;
    auto* task = new ThreadMultiTask();
    ASSERT_TRUE(task->start_thread(&work_entry, &a));
    ASSERT_TRUE(task->start_thread(&work_entry, &b)); // a second task; the first keeps running
    a.stop = true;
    b.stop = true;
    delete task; // waits for both entries
    EXPECT_FALSE(a.running.load());
    EXPECT_FALSE(b.running.load());
}

TEST(MultiTask, NullEntryIsRefusedAndNullResultCountsZero)
{
    ThreadMultiTask task;
    EXPECT_FALSE(task.start_thread(nullptr, nullptr));
    ASSERT_TRUE(task.start_thread(&null_entry, nullptr));
    task.stop_thread();
    EXPECT_EQ(task.last_result(), 0);
    EXPECT_EQ(task.set_weight(100), kNoErr);
    EXPECT_EQ(task.stop_thread(), kNoErr); // nothing left to stop
}

TEST(CriticalRegion, TryOnceFailsWhileAnotherThreadHoldsIt)
{
    PointerHolder<CriticalRegion> region = create_critical_region_holder();
    ASSERT_EQ(region->enter(CriticalRegion::kWaitForever, 0), kNoErr);
    OSStatus tried = 0, timed = 0;
    std::chrono::steady_clock::duration waited{};
    std::thread other([&] {
        tried = region->enter(CriticalRegion::kTryOnce, 0);
        auto t0 = std::chrono::steady_clock::now();
        timed = region->enter(2, 30); // at most 30 ms
        waited = std::chrono::steady_clock::now() - t0;
    });
    other.join();
    EXPECT_EQ(tried, kMPTimeoutErr);
    EXPECT_EQ(timed, kMPTimeoutErr);
    EXPECT_GE(waited, std::chrono::milliseconds(25));
    EXPECT_EQ(region->exit(), kNoErr);
}

TEST(CriticalRegion, TimedEntrySucceedsOnceReleased)
{
    MutexCriticalRegion region;
    ASSERT_EQ(region.enter(CriticalRegion::kWaitForever, 0), kNoErr);
    std::atomic<bool> entered{false};
    std::thread other([&] {
        if (region.enter(2, 5000) == kNoErr) {
            entered = true;
            region.exit();
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(entered.load());
    region.exit();
    other.join();
    EXPECT_TRUE(entered.load());
}

TEST(CriticalRegion, HolderMayReenterAndOnlyTheHolderMayLeave)
{
    MutexCriticalRegion region;
    EXPECT_EQ(region.exit(), kMPInsufficientResourcesErr); // not held
    ASSERT_EQ(region.enter(CriticalRegion::kWaitForever, 0), kNoErr);
    ASSERT_EQ(region.enter(CriticalRegion::kTryOnce, 0), kNoErr);
    OSStatus foreign = 0;
    std::thread([&] { foreign = region.exit(); }).join();
    EXPECT_EQ(foreign, kMPInsufficientResourcesErr);
    EXPECT_EQ(region.exit(), kNoErr);
    EXPECT_EQ(region.exit(), kNoErr);
    EXPECT_EQ(region.exit(), kMPInsufficientResourcesErr);
}
