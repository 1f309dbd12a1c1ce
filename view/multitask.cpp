#include "view/multitask.h"

#include <chrono>
#include <system_error>

namespace vemora::nsp_Multiprocessing {

ThreadMultiTask::~ThreadMultiTask()
{
    stop_thread();
}

int ThreadMultiTask::st_task_callback(ThreadMultiTask* self, TaskEntry entry, void* data)
{
    void* result = entry(data);
    int value = result ? *static_cast<int*>(result) : 0;
    self->lastResult_.store(value);
    return value;
}

bool ThreadMultiTask::start_thread(TaskEntry entry, void* data)
{
    entry_ = entry;
    data_ = data;
    if (!entry)
        return false;
    try {
        tasks_.emplace_back(&ThreadMultiTask::st_task_callback, this, entry, data);
    } catch (const std::system_error&) {
        stop_thread();
        return false;
    }
    return true;
}

OSStatus ThreadMultiTask::stop_thread()
{
    for (std::thread& t : tasks_) {
        if (t.get_id() == std::this_thread::get_id()) {
            t.detach(); // a task stopping itself cannot wait for itself
            continue;
        }
        if (t.joinable())
            t.join();
    }
    tasks_.clear();
    return kNoErr;
}

OSStatus ThreadMultiTask::set_weight(unsigned long)
{
    // Threads of one process share the scheduler's default weight.
    return kNoErr;
}

OSStatus MutexCriticalRegion::enter(long mode, Duration timeout)
{
    bool got = false;
    if (mode == kWaitForever) {
        region_.lock();
        got = true;
    } else if (mode == kTryOnce) {
        got = region_.try_lock();
    } else if (timeout == kDurationForever) {
        region_.lock();
        got = true;
    } else if (timeout < 0) {
        got = region_.try_lock_for(std::chrono::microseconds(-static_cast<int64_t>(timeout)));
    } else {
        got = region_.try_lock_for(std::chrono::milliseconds(timeout));
    }
    if (!got)
        return kMPTimeoutErr;
    owner_.store(std::this_thread::get_id());
    ++depth_;
    return kNoErr;
}

OSStatus MutexCriticalRegion::exit()
{
    // Unlocking a mutex that another thread holds is undefined; refuse it instead.
    if (owner_.load() != std::this_thread::get_id() || depth_ == 0)
        return kMPInsufficientResourcesErr;
    if (--depth_ == 0)
        owner_.store(std::thread::id());
    region_.unlock();
    return kNoErr;
}

PointerHolder<MultiTask> create_multitask_holder()
{
    return PointerHolder<MultiTask>(new ThreadMultiTask());
}

PointerHolder<CriticalRegion> create_critical_region_holder()
{
    return PointerHolder<CriticalRegion>(new MutexCriticalRegion());
}

} // namespace vemora::nsp_Multiprocessing
