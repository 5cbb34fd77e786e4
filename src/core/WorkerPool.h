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
    // not call run itself. At most kMaxTasks tasks a batch.
    template <class Task>
    void run(int taskCount, Task&& task) {
        using Plain = std::remove_reference_t<Task>;
        runErased(taskCount, const_cast<void*>(static_cast<const void*>(&task)),
                  [](void* context, int index) { (*static_cast<Plain*>(context))(index); });
    }

    static constexpr int kMaxTasks = 0xFFFF;

private:
    using TaskCall = void (*)(void* context, int index);

    void runErased(int taskCount, void* context, TaskCall call);
    void workerLoop();
    // Claims indices of the batch in the ticket until none is left.
    void drainTasks();
    // Waits, spinning first, until `word` no longer holds `value`.
    void awaitChange(const std::atomic<uint32_t>& word, uint32_t value);
    // Wakes every thread asleep in awaitChange; called after changing a word.
    void wakeSleepers();

    int threadCount_ = 1;
    // Spinning only pays when every thread has a core of its own; with more
    // threads than cores a waiting thread sleeps at once.
    bool spin_ = false;
    std::vector<std::thread> threads_;

    // The batch being run: batch number (upper 32 bits), next index (16) and
    // task count (16) in one word, so a thread claims an index of one
    // particular batch with one compare-and-swap and can never take an index
    // of the next batch with the last one's task. context_ and call_ are
    // written before the ticket is published and read only by a thread that
    // holds an unfinished index, so they cannot change under it.
    std::atomic<uint64_t> ticket_{0};
    void* context_ = nullptr;
    TaskCall call_ = nullptr;
    std::atomic<uint32_t> unfinished_{0};  // tasks of the batch not yet finished
    std::atomic<uint32_t> batches_{0};     // bumped with every batch and at the end: wakes workers
    std::atomic<bool> stopping_{false};

    // Sleeping after the spin. A sleeper counts itself before it looks at its
    // word and a waker changes the word before it looks at the count, so one
    // of the two always sees the other.
    std::mutex sleepMutex_;
    std::condition_variable sleepWake_;
    std::atomic<int> sleepers_{0};
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

// The threads a pool runs on; 1 without a pool. A step of a frame is cut into
// this many tasks: one each keeps every thread on the same part of a surface
// from one step and one frame to the next, and so in its own core's cache,
// which pays more than finer tasks that balance the load.
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

// part(begin, end) over [0, count) cut into one contiguous part a thread of the
// pool, side by side; part(0, count) on the calling thread without a pool.
template <class Part>
void runInParts(WorkerPool* pool, int count, Part&& part) {
    const int parts = threadsOf(pool);
    runTasks(pool, parts, [&](int index) {
        const IndexRange range = splitRange(count, index, parts);
        part(range.begin, range.end);
    });
}

}  // namespace velmora
