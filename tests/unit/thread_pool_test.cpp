// The worker pool: tasks run on the workers, progress comes once per
// finished task on the calling thread, stop requests and errors cancel the
// rest, and Run returns only when every handed-out task has returned.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "render/thread_pool.h"

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;

// Records its run; a blocking task waits (bounded) until it is cancelled.
class ProbeTask : public ThreadPoolTask {
public:
    enum Mode { kQuick, kUntilCancelled, kThrow };
    explicit ProbeTask(Mode mode) : mode_(mode) {}

    void Execute() override {
        thread = std::this_thread::get_id();
        executions.fetch_add(1);
        if (mode_ == kThrow) throw std::runtime_error("task failed");
        if (mode_ == kUntilCancelled) {
            const auto giveUp = Clock::now() + std::chrono::seconds(10);
            while (!IsCancelled() && Clock::now() < giveUp) std::this_thread::yield();
            sawCancel = IsCancelled();
        }
        finished.store(true);
    }
    void Cancel() override {
        cancels.fetch_add(1);
        ThreadPoolTask::Cancel();
    }

    std::atomic<int> executions{0};
    std::atomic<int> cancels{0};
    std::atomic<bool> finished{false};
    std::atomic<bool> sawCancel{false};
    std::thread::id thread;

private:
    Mode mode_;
};

// The pool's progress calls, answered `answer` (go on while true).
struct ProgressLog {
    explicit ProgressLog(ThreadPool& pool) {
        pool.progressFn = &ProgressLog::Record;
        pool.progressData = this;
    }

    std::vector<std::pair<int, int>> calls;  // (total, done)
    std::vector<std::thread::id> threads;
    bool answer = true;

    static bool Record(int total, int done, void* data) {
        auto* log = static_cast<ProgressLog*>(data);
        log->calls.emplace_back(total, done);
        log->threads.push_back(std::this_thread::get_id());
        return log->answer;
    }
};

std::vector<std::shared_ptr<ProbeTask>> AddTasks(ThreadPool& pool, int count,
                                                 ProbeTask::Mode mode) {
    std::vector<std::shared_ptr<ProbeTask>> tasks;
    for (int i = 0; i < count; ++i) {
        tasks.push_back(std::make_shared<ProbeTask>(mode));
        pool.AddTask(tasks.back());
    }
    return tasks;
}

TEST(ThreadPool, RunWithoutTasksReportsNothing) {
    ThreadPool pool(2);
    ProgressLog log(pool);
    pool.Run();
    EXPECT_TRUE(log.calls.empty());
}

TEST(ThreadPool, ProgressOncePerTaskOnTheCallingThread) {
    ThreadPool pool(2);
    ProgressLog log(pool);
    auto tasks = AddTasks(pool, 3, ProbeTask::kQuick);
    EXPECT_EQ(pool.PendingCount(), 3u);
    EXPECT_EQ(pool.Pending().front(), tasks.front());

    pool.Run();
    EXPECT_EQ(pool.PendingCount(), 0u);
    const std::vector<std::pair<int, int>> expected{{3, 1}, {3, 2}, {3, 3}};
    EXPECT_EQ(log.calls, expected);
    for (std::thread::id id : log.threads) EXPECT_EQ(id, std::this_thread::get_id());
    for (const auto& task : tasks) {
        EXPECT_EQ(task->executions.load(), 1);
        EXPECT_NE(task->thread, std::this_thread::get_id());
        EXPECT_FALSE(task->IsCancelled());
    }
}

TEST(ThreadPool, ManyTasksEachReportedOnceInOrderOfCounting) {
    ThreadPool pool(3);
    ProgressLog log(pool);
    auto tasks = AddTasks(pool, 2000, ProbeTask::kQuick);
    pool.Run();
    ASSERT_EQ(log.calls.size(), tasks.size());
    for (size_t i = 0; i < log.calls.size(); ++i)
        EXPECT_EQ(log.calls[i], std::make_pair(2000, static_cast<int>(i) + 1));
    for (const auto& task : tasks) EXPECT_EQ(task->executions.load(), 1);
}

// Neighbouring tasks are not taken one after the other: a worker takes each
// full block of 128 in bit-reversed order (0, 64, 32, 96, ...), the last,
// partial block in queue order; every task once.
TEST(ThreadPool, HandsOutFullBlocksSpreadAndTheRestInOrder) {
    class Ordered : public ThreadPoolTask {
    public:
        Ordered(int index, std::vector<int>& order) : index_(index), order_(order) {}
        void Execute() override { order_.push_back(index_); }

    private:
        int index_;
        std::vector<int>& order_;
    };
    ThreadPool pool(1);
    std::vector<int> order;
    for (int i = 0; i < 130; ++i) pool.AddTask(std::make_shared<Ordered>(i, order));
    pool.Run();
    ASSERT_EQ(order.size(), 130u);
    EXPECT_EQ((std::vector<int>(order.begin(), order.begin() + 6)),
              (std::vector<int>{0, 64, 32, 96, 16, 80}));
    EXPECT_EQ(order[127], 127);
    EXPECT_EQ(order[128], 128);
    EXPECT_EQ(order[129], 129);
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < 130; ++i) EXPECT_EQ(sorted[i], i);
}

TEST(ThreadPool, StopPartWayCancelsTheRestAndStillCountsEveryTask) {
    ThreadPool pool(2);
    int calls = 0;
    struct Stop {
        int* calls;
        static bool At(int, int done, void* data) {
            ++*static_cast<Stop*>(data)->calls;
            return done < 5;
        }
    } stop{&calls};
    pool.progressFn = &Stop::At;
    pool.progressData = &stop;
    auto quick = AddTasks(pool, 6, ProbeTask::kQuick);
    auto blocked = AddTasks(pool, 4, ProbeTask::kUntilCancelled);
    pool.Run();
    EXPECT_EQ(calls, 10);
    // The host answers stop five times; the tasks are stopped once. A task
    // no worker had started is finished without running.
    for (const auto& task : blocked) {
        EXPECT_EQ(task->finished.load(), task->executions.load() == 1);
        EXPECT_EQ(task->cancels.load(), 1);
    }
    for (const auto& task : quick) EXPECT_LE(task->cancels.load(), 1);
}

TEST(ThreadPool, StopOnFirstProgressCancelsTheRestAndWaitsForThem) {
    ThreadPool pool(4);
    ProgressLog log(pool);
    log.answer = false;
    auto quick = AddTasks(pool, 1, ProbeTask::kQuick);
    auto blocked = AddTasks(pool, 5, ProbeTask::kUntilCancelled);

    pool.Run();
    // Every task a worker started returned, having seen the stop; one that
    // no worker had reached by then was never run. (The worker of the quick
    // task may start the fifth before the stop arrives, so how many started
    // is up to the scheduler.)
    for (const auto& task : blocked) {
        EXPECT_EQ(task->cancels.load(), 1);
        if (task->executions.load() == 0) continue;
        EXPECT_TRUE(task->finished.load());
        EXPECT_TRUE(task->sawCancel.load());
    }
    // Progress goes on for every task, run or not, after the stop.
    ASSERT_EQ(log.calls.size(), 6u);
    EXPECT_EQ(log.calls.back(), std::make_pair(6, 6));
}

TEST(ThreadPool, AStopFinishesTheTasksNoWorkerStartedWithoutRunningThem) {
    // Thousands of queued tasks behind two that block until cancelled: the
    // stop finishes the queued ones at once, so Run returns as soon as the
    // two running ones see it.
    ThreadPool pool(2);
    ProgressLog log(pool);
    log.answer = false;
    auto first = AddTasks(pool, 1, ProbeTask::kQuick);
    auto blocked = AddTasks(pool, 2, ProbeTask::kUntilCancelled);
    auto queued = AddTasks(pool, 5000, ProbeTask::kQuick);
    pool.Run();
    int ran = 0;
    for (const auto& task : queued) ran += task->executions.load();
    EXPECT_LT(ran, 5000);  // the queue was not run through
    for (const auto& task : queued) {
        if (task->executions.load() == 0) {
            EXPECT_EQ(task->cancels.load(), 1);
        }
    }
    ASSERT_EQ(log.calls.size(), 5003u);
    EXPECT_EQ(log.calls.back(), std::make_pair(5003, 5003));
}

TEST(ThreadPool, HeartbeatReachesTheCallerWhileTasksRunAndCanStopThem) {
    ThreadPool pool(2);
    struct Beat {
        std::atomic<int> beats{0};
        std::thread::id thread;
        static bool Once(void* data) {
            auto* beat = static_cast<Beat*>(data);
            beat->thread = std::this_thread::get_id();
            return beat->beats.fetch_add(1) < 2;  // the third beat asks to stop
        }
    } beat;
    pool.heartbeatFn = &Beat::Once;
    pool.progressData = &beat;
    auto blocked = AddTasks(pool, 2, ProbeTask::kUntilCancelled);
    pool.Run();
    EXPECT_EQ(beat.beats.load(), 3);
    EXPECT_EQ(beat.thread, std::this_thread::get_id());
    for (const auto& task : blocked) EXPECT_TRUE(task->sawCancel.load());
}

TEST(ThreadPool, TaskErrorCancelsTheRestAndIsRaisedAfterAllReturn) {
    ThreadPool pool(4);
    ProgressLog log(pool);
    auto blocked = AddTasks(pool, 3, ProbeTask::kUntilCancelled);
    auto failing = AddTasks(pool, 1, ProbeTask::kThrow);

    EXPECT_THROW(pool.Run(), std::runtime_error);
    for (const auto& task : blocked) {
        EXPECT_TRUE(task->finished.load());
        EXPECT_TRUE(task->sawCancel.load());
    }
    EXPECT_TRUE(log.calls.empty());  // the error came first; nothing reported after it
}

TEST(ThreadPool, AbortBeforeRunDropsPendingTasks) {
    ThreadPool pool(2);
    auto tasks = AddTasks(pool, 3, ProbeTask::kQuick);
    pool.AbortAll();
    EXPECT_EQ(pool.PendingCount(), 0u);
    pool.Run();
    for (const auto& task : tasks) {
        EXPECT_TRUE(task->IsCancelled());
        EXPECT_EQ(task->executions.load(), 0);
    }
}

TEST(ThreadPool, DestroyedWithoutRunningFreesItsTasks) {
    std::weak_ptr<ProbeTask> watch;
    {
        ThreadPool pool(3);
        auto task = std::make_shared<ProbeTask>(ProbeTask::kQuick);
        watch = task;
        pool.AddTask(std::move(task));
    }
    EXPECT_TRUE(watch.expired());
}

TEST(ThreadPool, RunReleasesItsTasks) {
    ThreadPool pool(2);
    std::weak_ptr<ProbeTask> watch;
    {
        auto task = std::make_shared<ProbeTask>(ProbeTask::kQuick);
        watch = task;
        pool.AddTask(std::move(task));
    }
    pool.Run();
    EXPECT_TRUE(watch.expired());
}

TEST(ThreadPool, AFinishedTaskIsFreedBeforeTheNextStarts) {
    // One worker: the first task is gone by the time the second runs, so a
    // pass holds the paths of its running tasks only.
    ThreadPool pool(1);
    std::weak_ptr<ProbeTask> first;
    struct Check : ThreadPoolTask {
        std::weak_ptr<ProbeTask>* watch = nullptr;
        bool firstGone = false;
        void Execute() override { firstGone = watch->expired(); }
    };
    auto check = std::make_shared<Check>();
    check->watch = &first;
    {
        auto task = std::make_shared<ProbeTask>(ProbeTask::kQuick);
        first = task;
        pool.AddTask(std::move(task));
    }
    pool.AddTask(check);
    pool.Run();
    EXPECT_TRUE(check->firstGone);
}

TEST(ThreadPool, WorkerCounts) {
    EXPECT_EQ(WorkerCountFor(0), 4u);
    EXPECT_EQ(WorkerCountFor(6), 6u);
    EXPECT_EQ(ThreadPool(0).WorkerCount(), 1u);

    EXPECT_EQ(ThreadPool(3).WorkerCount(), 3u);
    EXPECT_EQ(DefaultWorkerCount(), WorkerCountFor(std::thread::hardware_concurrency()));
    EXPECT_EQ(ThreadPool().WorkerCount(), DefaultWorkerCount());
}

}  // namespace
}  // namespace velmora
