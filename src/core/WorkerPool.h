// WorkerPool: a fixed set of threads made once per show that runs one frame
// step's tasks side by side. The calling thread takes part, so a pool of N
// threads starts N - 1 of its own; a pool of one runs everything in the caller.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <type_traits>
#include <vector>

namespace velmora {

class WorkerPool {
public:
    // threadCount counts the calling thread; values below 1 count as 1.
    explicit WorkerPool(int threadCount);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int threadCount() const { return threadCount_; }

    // Calls task(i) once for every i in [0, taskCount) and returns when all
    // have finished. Which thread runs which index is not fixed, so a task
    // must write only what its index owns. Nothing is allocated; a task must
    // not call run itself.
    template <class Task>
    void run(int taskCount, Task&& task) {
        using Plain = std::remove_reference_t<Task>;
        runErased(taskCount, const_cast<void*>(static_cast<const void*>(&task)),
                  [](void* context, int index) { (*static_cast<Plain*>(context))(index); });
    }

private:
    using TaskCall = void (*)(void* context, int index);
    struct Batch {
        void* context = nullptr;
        TaskCall call = nullptr;
        int taskCount = 0;
    };

    void runErased(int taskCount, void* context, TaskCall call);
    void workerLoop();
    // Takes indices of `batch` until none is left; returns how many it ran.
    int drainTasks(const Batch& batch);

    int threadCount_ = 1;
    std::vector<std::thread> threads_;

    // Everything below but nextTask_ is guarded by mutex_. A worker copies
    // the batch under the lock and counts itself active until it has stopped
    // taking indices, and a new batch starts only when no worker is active,
    // so no late worker can take an index of the next batch for the last one.
    std::mutex mutex_;
    std::condition_variable wake_;      // workers: a new batch or the end
    std::condition_variable finished_;  // caller: tasks done, or workers idle
    uint64_t generation_ = 0;           // batches started
    bool stopping_ = false;
    Batch batch_;
    int unfinished_ = 0;  // tasks of the batch not yet finished
    int active_ = 0;      // workers between copying the batch and reporting back
    std::atomic<int> nextTask_{0};
};

// task(i) for i in [0, taskCount): on the pool when there is one with more
// than one thread, else in order on the calling thread.
template <class Task>
void runTasks(WorkerPool* pool, int taskCount, Task&& task) {
    if (pool && pool->threadCount() > 1 && taskCount > 1) {
        pool->run(taskCount, task);
        return;
    }
    for (int i = 0; i < taskCount; ++i) task(i);
}

// The threads a pool runs on; 1 without a pool.
inline int threadsOf(const WorkerPool* pool) { return pool ? pool->threadCount() : 1; }

// Part `part` of `parts` of [0, count): contiguous, in order, sizes within one.
struct IndexRange {
    int begin;
    int end;
};
inline IndexRange splitRange(int count, int part, int parts) {
    const int64_t c = count;
    return IndexRange{static_cast<int>(c * part / parts), static_cast<int>(c * (part + 1) / parts)};
}

}  // namespace velmora
