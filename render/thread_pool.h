// Worker pool for the stroke tasks of one render pass.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace velmora {

class ThreadPoolTask {
public:
    virtual ~ThreadPoolTask() = default;
    virtual void Execute() = 0;
    virtual void Cancel() { cancelled.store(true, std::memory_order_relaxed); }
    bool IsCancelled() const { return cancelled.load(std::memory_order_relaxed); }

    std::atomic<bool> cancelled{false};
};

struct PoolJob;  // a handed-out task and its completion token

// total tasks, tasks done so far, opaque data; false asks to stop.
using ProgressFunction = bool (*)(int total, int done, void* data);

// Number of workers for a reported processor count (0 gives 4).
unsigned WorkerCountFor(unsigned reportedProcessors);
// One worker per logical processor, as far as the system tells.
unsigned DefaultWorkerCount();

class ThreadPool {
public:
    ThreadPool();                          // one worker per logical processor
    explicit ThreadPool(unsigned workers);  // a fixed count (at least 1)
    ~ThreadPool();
    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    void AddTask(std::shared_ptr<ThreadPoolTask> task);
    // Runs every pending task on the workers; returns when all have finished,
    // calling progressFn once per finished task on this thread. A task's
    // error cancels the others; once all have returned it is rethrown here.
    void Run();
    void AbortAll();

    size_t WorkerCount() const { return threads_.size(); }
    size_t PendingCount() const;
    // The tasks added and not yet run, in queue order (for inspection).
    std::vector<std::shared_ptr<ThreadPoolTask>> Pending() const;

    ProgressFunction progressFn = nullptr;
    void* progressData = nullptr;
    // Called with progressData on Run's thread at every poll (at least every
    // poll interval while tasks run); false asks to stop, as progressFn does.
    bool (*heartbeatFn)(void* data) = nullptr;

private:
    void WorkerLoop();

    std::vector<std::thread> threads_;
    std::deque<std::shared_ptr<ThreadPoolTask>> pending_;
    std::deque<std::shared_ptr<PoolJob>> jobs_;
    std::vector<std::shared_ptr<ThreadPoolTask>> running_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    bool stopping_ = false;
    // Run's places of the jobs finished and not yet collected, in the order
    // they finished, and the jobs still running or queued.
    std::vector<size_t> finished_;
    size_t outstanding_ = 0;
    // Run is draining after a stop or an error and wants each finish at once.
    bool eager_ = false;
    std::condition_variable collect_;
};

}  // namespace velmora
