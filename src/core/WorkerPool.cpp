// WorkerPool: fork-join over a fixed set of threads. Tasks are handed out by
// an atomic counter; the caller waits under the pool's lock for the last one.
#include "core/WorkerPool.h"

namespace velmora {

WorkerPool::WorkerPool(int threadCount) : threadCount_(threadCount < 1 ? 1 : threadCount) {
    threads_.reserve(static_cast<size_t>(threadCount_ - 1));
    for (int i = 1; i < threadCount_; ++i) threads_.emplace_back([this] { workerLoop(); });
}

WorkerPool::~WorkerPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

int WorkerPool::drainTasks(const Batch& batch) {
    int ran = 0;
    for (int i = nextTask_.fetch_add(1, std::memory_order_relaxed); i < batch.taskCount;
         i = nextTask_.fetch_add(1, std::memory_order_relaxed)) {
        batch.call(batch.context, i);
        ++ran;
    }
    return ran;
}

void WorkerPool::runErased(int taskCount, void* context, TaskCall call) {
    if (taskCount <= 0) return;
    if (threads_.empty() || taskCount == 1) {
        for (int i = 0; i < taskCount; ++i) call(context, i);
        return;
    }
    const Batch batch{context, call, taskCount};
    {
        std::unique_lock<std::mutex> lock(mutex_);
        finished_.wait(lock, [this] { return active_ == 0; });
        batch_ = batch;
        unfinished_ = taskCount;
        nextTask_.store(0, std::memory_order_relaxed);
        ++generation_;
    }
    wake_.notify_all();
    const int ran = drainTasks(batch);
    std::unique_lock<std::mutex> lock(mutex_);
    unfinished_ -= ran;
    finished_.wait(lock, [this] { return unfinished_ == 0; });
}

void WorkerPool::workerLoop() {
    uint64_t seen = 0;
    for (;;) {
        Batch batch;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_) return;
            seen = generation_;
            batch = batch_;
            ++active_;
        }
        const int ran = drainTasks(batch);
        std::lock_guard<std::mutex> lock(mutex_);
        unfinished_ -= ran;
        --active_;
        if (unfinished_ == 0 || active_ == 0) finished_.notify_all();
    }
}

}  // namespace velmora
