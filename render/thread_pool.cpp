// Worker pool: runs the stroke tasks of one pass on every processor while
// the pass's thread reports progress and passes on stop requests.
#include "render/thread_pool.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

namespace velmora {

// One handed-out task, its place in Run's list, and the error its Execute
// raised. The job's completion token is its place in the pool's finished
// list: Run learns of it there, without waiting, and reads the error then.
struct PoolJob {
    std::shared_ptr<ThreadPoolTask> task;
    std::exception_ptr error;
    size_t place = 0;
};

namespace {

constexpr std::chrono::milliseconds kPollInterval{10};

// Tasks are handed out in blocks of kSpreadBlock, each block in the order of
// its indices' bits reversed (0, 64, 32, 96, 16, ...). A layout queues its
// lines and rings side by side, and a wide pen's neighbours overlap: in
// queue order a pixel under fifty strokes is raised by each as they come
// nearer, in this order mostly by the few nearest, the others then finding
// it higher already. The bytes do not depend on the order.
constexpr size_t kSpreadBits = 7;
constexpr size_t kSpreadBlock = size_t{1} << kSpreadBits;

// The place in the queue of the i-th task handed out, of count.
size_t SpreadPlace(size_t i, size_t count) {
    const size_t base = i & ~(kSpreadBlock - 1);
    const size_t inBlock = std::min(kSpreadBlock, count - base);
    // Reverse the bits of i's index in the block; in a last, partial block
    // take the indices in plain order.
    if (inBlock < kSpreadBlock) return i;
    size_t reversed = 0;
    for (size_t b = 0; b < kSpreadBits; ++b) reversed |= ((i >> b) & 1) << (kSpreadBits - 1 - b);
    return base + reversed;
}


void RunJob(PoolJob& job) {
    try {
        job.task->Execute();
    } catch (...) {
        job.error = std::current_exception();
    }
    job.task.reset();
}

}  // namespace

unsigned WorkerCountFor(unsigned reportedProcessors) {
    return reportedProcessors == 0 ? 4 : reportedProcessors;
}

unsigned DefaultWorkerCount() { return WorkerCountFor(std::thread::hardware_concurrency()); }

ThreadPool::ThreadPool() : ThreadPool(DefaultWorkerCount()) {}

ThreadPool::ThreadPool(unsigned workers) {
    if (workers == 0) workers = 1;
    threads_.reserve(workers);
    try {
        for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { WorkerLoop(); });
    } catch (...) {
        // A thread that failed to start: stop the ones already running.
        {
            std::lock_guard<std::mutex> guard(lock_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) thread.join();
        throw;
    }
}

ThreadPool::~ThreadPool() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        if (!thread.joinable()) continue;
        if (thread.get_id() == std::this_thread::get_id()) {
            thread.detach();  // destroyed from one of its own tasks
        } else {
            thread.join();
        }
    }
    running_.clear();
    jobs_.clear();
    pending_.clear();
}

void ThreadPool::WorkerLoop() {
    for (;;) {
        std::shared_ptr<PoolJob> job;
        {
            std::unique_lock<std::mutex> guard(lock_);
            wake_.wait(guard, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return;  // stopping, and nothing left to run
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        try {
            RunJob(*job);
        } catch (...) {
            // Task errors travel in the job's token; nothing else may end
            // the thread with an exception.
        }
        const size_t place = job->place;
        job = nullptr;
        bool wakeRun;
        // A finished task is let go at once (outside the lock): a pass of
        // thousands of lines then holds the paths of the running ones only.
        std::shared_ptr<ThreadPoolTask> done;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (place < running_.size()) done.swap(running_[place]);
            finished_.push_back(place);
            if (outstanding_ > 0) --outstanding_;
            wakeRun = eager_ || outstanding_ == 0;
        }
        done.reset();
        // While the tasks run, Run looks every poll interval on its own.
        if (wakeRun) collect_.notify_all();
    }
}

void ThreadPool::AddTask(std::shared_ptr<ThreadPoolTask> task) {
    std::lock_guard<std::mutex> guard(lock_);
    pending_.push_back(std::move(task));
}

void ThreadPool::Run() {
    std::vector<std::shared_ptr<PoolJob>> tokens;  // by place; reset once collected
    std::exception_ptr firstError;
    try {
        std::lock_guard<std::mutex> guard(lock_);
        tokens.reserve(pending_.size());
        finished_.reserve(pending_.size());
        eager_ = false;
        const size_t count = pending_.size();
        for (size_t i = 0; i < count; ++i) {
            auto job = std::make_shared<PoolJob>();
            job->task = pending_[SpreadPlace(i, count)];
            job->place = tokens.size();
            tokens.push_back(job);
            running_.push_back(job->task);
            jobs_.push_back(std::move(job));
            ++outstanding_;
        }
        pending_.clear();
    } catch (...) {
        // Out of memory while handing out: run what was handed out as
        // cancelled; the rest are dropped with the pass.
        firstError = std::current_exception();
        std::lock_guard<std::mutex> guard(lock_);
        pending_.clear();
    }
    wake_.notify_all();
    // Once per run: every task is cancelled by the first call, and the host
    // may go on answering stop for each task that finishes after it.
    bool aborted = false;
    auto abort = [this, &aborted] {
        if (aborted) return;
        aborted = true;
        AbortAll();
        // Jobs no worker has started are finished here: their tasks are
        // cancelled and would return at once, but thousands of them would
        // each take a round through the workers before Run could return.
        std::deque<std::shared_ptr<PoolJob>> unstarted;
        std::vector<std::shared_ptr<ThreadPoolTask>> released;
        {
            std::lock_guard<std::mutex> guard(lock_);
            eager_ = true;
            unstarted.swap(jobs_);
            released.reserve(unstarted.size());
            for (const auto& job : unstarted) {
                job->task.reset();
                if (job->place < running_.size()) released.push_back(std::move(running_[job->place]));
                finished_.push_back(job->place);
                if (outstanding_ > 0) --outstanding_;
            }
        }
        // Tasks and jobs are freed here, outside the lock.
    };
    if (firstError) abort();

    const int total = static_cast<int>(tokens.size());
    int done = 0;
    size_t collected = 0;
    std::vector<size_t> batch;
    batch.reserve(tokens.size());
    while (collected < tokens.size()) {
        {
            // Each finished job once: woken every poll interval, when the
            // last job finishes, or at every finish while draining.
            std::unique_lock<std::mutex> guard(lock_);
            collect_.wait_for(guard, kPollInterval, [this] {
                return outstanding_ == 0 ? !finished_.empty() : eager_ && !finished_.empty();
            });
            batch.swap(finished_);
        }
        for (const size_t place : batch) {
            const std::shared_ptr<PoolJob> job = std::move(tokens[place]);
            ++collected;
            if (firstError) continue;  // draining after an error
            if (job && job->error) {
                // Stop the rest, but wait for every handed-out task before
                // rethrowing: they still use the pass's buffers.
                firstError = job->error;
                abort();
                continue;
            }
            ++done;
            try {
                if (progressFn && !progressFn(total, done, progressData)) abort();
            } catch (...) {
                firstError = std::current_exception();
                abort();
            }
        }
        batch.clear();
        // The host hears from the pass even while no task finishes.
        if (!aborted && !firstError && collected < tokens.size() && heartbeatFn &&
            !heartbeatFn(progressData))
            abort();
    }

    std::vector<std::shared_ptr<ThreadPoolTask>> finished;
    {
        std::lock_guard<std::mutex> guard(lock_);
        finished.swap(running_);
        eager_ = false;
    }
    finished.clear();  // tasks may be freed here, outside the lock
    if (firstError) std::rethrow_exception(firstError);
}

void ThreadPool::AbortAll() {
    std::lock_guard<std::mutex> guard(lock_);
    for (const auto& task : pending_) task->Cancel();
    pending_.clear();
    for (const auto& task : running_) {
        if (task) task->Cancel();
    }
}

size_t ThreadPool::PendingCount() const {
    std::lock_guard<std::mutex> guard(lock_);
    return pending_.size();
}

std::vector<std::shared_ptr<ThreadPoolTask>> ThreadPool::Pending() const {
    std::lock_guard<std::mutex> guard(lock_);
    return {pending_.begin(), pending_.end()};
}

}  // namespace velmora
