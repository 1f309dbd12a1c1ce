#pragma once
// Background tasks and critical regions behind two small interfaces, so the view engine does
// not depend on the thread library it runs on.
#include "foundation/holders.h"

#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <thread>

namespace vemora::nsp_Multiprocessing {

using OSStatus = int32_t;
using Duration = int32_t; // positive: milliseconds; negative: microseconds

constexpr OSStatus kNoErr = 0;
constexpr OSStatus kMPTimeoutErr = -29296;
constexpr OSStatus kMPInsufficientResourcesErr = -29294;
constexpr Duration kDurationImmediate = 0;
constexpr Duration kDurationForever = 0x7FFFFFFF;

using TaskEntry = void* (*)(void* data);

class MultiTask {
public:
    virtual ~MultiTask() = default;
    // Runs entry(data) on a new thread; false when no thread can be made.
    virtual bool start_thread(TaskEntry entry, void* data) = 0;
    virtual OSStatus stop_thread() = 0;
    virtual OSStatus set_weight(unsigned long weight) = 0;
};

class CriticalRegion {
public:
    enum WaitingMode { kTryOnce = 0, kWaitForever = 1 };
    // mode 0 tries once, 1 waits as long as needed, anything else waits at most timeout.
    virtual OSStatus enter(long mode, Duration timeout) = 0;
    virtual OSStatus exit() = 0;
    virtual ~CriticalRegion() = default;
};

// std::thread behind MultiTask. A thread cannot be killed safely, so stop_thread waits for the
// running entries to return; the owner asks its entry to finish first. The destructor does the
// same, so no thread outlives the object that started it.
class ThreadMultiTask : public MultiTask {
public:
    ThreadMultiTask() = default;
    ThreadMultiTask(const ThreadMultiTask&) = delete;
    ThreadMultiTask& operator=(const ThreadMultiTask&) = delete;
    ~ThreadMultiTask() override;

    bool start_thread(TaskEntry entry, void* data) override;
    OSStatus stop_thread() override;
    OSStatus set_weight(unsigned long weight) override;

    // The integer that the last finished entry's result pointed to (0 for a null result).
    int last_result() const { return lastResult_.load(); }

    static int st_task_callback(ThreadMultiTask* self, TaskEntry entry, void* data);

private:
    TaskEntry entry_ = nullptr;
    void* data_ = nullptr;
    std::list<std::thread> tasks_; // every thread started and not yet joined
    std::atomic<int> lastResult_{0};
};

// A recursive timed mutex behind CriticalRegion: like the regions it stands for, the task that
// holds it may enter again, and only the holder may leave.
class MutexCriticalRegion : public CriticalRegion {
public:
    MutexCriticalRegion() = default;
    MutexCriticalRegion(const MutexCriticalRegion&) = delete;
    MutexCriticalRegion& operator=(const MutexCriticalRegion&) = delete;
    ~MutexCriticalRegion() override = default;

    OSStatus enter(long mode, Duration timeout) override;
    OSStatus exit() override;

private:
    std::recursive_timed_mutex region_;
    std::atomic<std::thread::id> owner_{};
    long depth_ = 0; // touched only by the holder
};

PointerHolder<MultiTask> create_multitask_holder();
PointerHolder<CriticalRegion> create_critical_region_holder();

} // namespace vemora::nsp_Multiprocessing
